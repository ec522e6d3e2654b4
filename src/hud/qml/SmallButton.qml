import QtQuick

// A small button of the bottom row: symbol and text (or the symbol alone) with a tooltip.
PlainButton {
    id: control

    property string iconName
    property string tooltip
    property color foreground: "white"
    property color fill: Qt.rgba(1, 1, 1, 0.08)
    readonly property real sidePadding: text.length > 0 ? 4 : 9

    implicitWidth: row.implicitWidth + 2 * sidePadding
    implicitHeight: row.implicitHeight + 14
    // Screen readers hear the visible text, or the tooltip where there is none.
    Accessible.name: text.length > 0 ? text : tooltip
    description: tooltip

    Rectangle {
        anchors.fill: parent
        radius: 8
        color: control.fill
    }

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 4

        Symbol {
            anchors.verticalCenter: parent.verticalCenter
            name: control.iconName
            size: 13
            tint: control.foreground
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            visible: control.text.length > 0
            text: control.text
            font.pixelSize: 10
            font.weight: Font.Medium
            color: control.foreground
        }
    }
}
