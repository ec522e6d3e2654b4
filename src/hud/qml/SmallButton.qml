import QtQuick

// A small button of the bottom row: symbol and text (or the symbol alone) with a tooltip, for
// one of the card's actions. The row (CardLayout) gives it its place.
PlainButton {
    id: control

    required property var action
    required property int index
    property color primary: "white"
    readonly property string iconName: action.symbol
    readonly property string tooltip: action.detail
    readonly property color foreground: action.destructive ? Qt.rgba(1, 0.23, 0.19, 0.85) : primary
    readonly property color fill: action.destructive ? Qt.rgba(1, 0.23, 0.19, 0.12)
                                                     : Qt.rgba(1, 1, 1, 0.08)
    readonly property real sidePadding: text.length > 0 ? 4 : 9

    x: parent.startOf(index)
    y: parent.snapped((parent.height - height) / 2)
    width: parent.endOf(index) - x
    height: implicitHeight
    text: action.title
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
