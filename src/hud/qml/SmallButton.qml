import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// A small button of the bottom row: symbol and text (or the symbol alone) with a tooltip.
Button {
    id: control

    property string iconName
    property string tooltip
    property bool tooltipSuppressed: false
    property color foreground: "white"
    property color fill: Qt.rgba(1, 1, 1, 0.08)

    leftPadding: text.length > 0 ? 4 : 9
    rightPadding: text.length > 0 ? 4 : 9
    topPadding: 7
    bottomPadding: 7
    hoverEnabled: true
    opacity: pressed ? 0.75 : 1
    // Screen readers hear the visible text, or the tooltip where there is none.
    Accessible.name: text.length > 0 ? text : tooltip
    Accessible.description: tooltip
    Accessible.onPressAction: control.clicked()
    ToolTip.visible: hovered && tooltip.length > 0 && !tooltipSuppressed
    ToolTip.delay: 600
    ToolTip.text: tooltip

    contentItem: Item {
        implicitWidth: row.implicitWidth
        implicitHeight: row.implicitHeight

        RowLayout {
            id: row
            anchors.centerIn: parent
            spacing: 4

            Symbol {
                name: control.iconName
                size: 13
                tint: control.foreground
            }
            Text {
                visible: control.text.length > 0
                text: control.text
                font.pixelSize: 10
                font.weight: Font.Medium
                color: control.foreground
            }
        }
    }

    background: Rectangle {
        radius: 8
        color: control.fill
    }
}
