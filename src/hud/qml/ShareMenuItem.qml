import QtQuick

// One line of the share menu, compact and in the card's colours. Found and pressed by name,
// like the card's buttons.
Item {
    id: item

    property string text
    property bool highlighted: false

    signal triggered
    signal hovered

    implicitHeight: 28 // the menu places itself by this height
    Accessible.role: Accessible.MenuItem
    Accessible.name: text
    Accessible.onPressAction: item.triggered()

    Rectangle {
        anchors.fill: parent
        radius: 5
        color: item.highlighted ? Qt.rgba(0.05, 0.60, 0.56, 0.9) : "transparent"
    }
    Text {
        x: 10
        y: 6
        width: parent.width - 20
        height: parent.height - 12
        text: item.text
        font.pixelSize: 12
        color: Qt.rgba(1, 1, 1, 0.92)
        elide: Text.ElideRight
        verticalAlignment: Text.AlignVCenter
    }
    MouseArea {
        anchors.fill: parent
        hoverEnabled: true
        onEntered: item.hovered()
        onClicked: item.triggered()
    }
}
