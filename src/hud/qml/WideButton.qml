import QtQuick
import Orvane.Hud

// One of the two wide copy buttons: icon tile, title over subtitle, a symbol at the end.
PlainButton {
    id: control

    required property var action
    readonly property string subtitle: action.detail
    readonly property string iconName: action.symbol
    readonly property string trailingName: action.trailingSymbol
    readonly property bool prominent: action.prominent
    property color primary: "white"
    property color secondary: "white"

    implicitWidth: content.implicitWidth + 24
    implicitHeight: content.implicitHeight + 18
    description: subtitle
    width: parent.width
    text: action.title

    AuroraItem {
        anchors.fill: parent
        radius: 12
        underText: true
        visible: control.prominent
    }
    Rectangle {
        anchors.fill: parent
        radius: 12
        color: Qt.rgba(1, 1, 1, 0.08)
        visible: !control.prominent
    }

    Item {
        id: content
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        anchors.topMargin: 9
        anchors.bottomMargin: 9
        implicitWidth: tile.width + Math.max(heading.implicitWidth, detail.implicitWidth) + trailing.width + 20
        implicitHeight: Math.max(tile.height, words.implicitHeight, trailing.height)

        Rectangle {
            id: tile
            anchors.left: parent.left
            anchors.verticalCenter: parent.verticalCenter
            width: 28
            height: 28
            radius: 14
            color: Qt.rgba(1, 1, 1, control.prominent ? 0.22 : 0.12)

            Symbol {
                anchors.centerIn: parent
                name: control.iconName
                size: 13
                tint: control.prominent ? "white" : control.primary
            }
        }

        Column {
            id: words
            anchors.left: tile.right
            anchors.right: trailing.left
            anchors.leftMargin: 10
            anchors.rightMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            spacing: 1

            Text {
                id: heading
                width: parent.width
                text: control.text
                font.pixelSize: 13
                font.bold: true
                color: control.prominent ? "white" : control.primary
                elide: Text.ElideRight
            }
            Text {
                id: detail
                width: parent.width
                text: control.subtitle
                font.pixelSize: 10
                font.weight: Font.Medium
                color: control.prominent ? Qt.rgba(1, 1, 1, 0.85) : control.secondary
                elide: Text.ElideRight
            }
        }

        Symbol {
            id: trailing
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            name: control.trailingName
            size: 11
            tint: control.prominent ? Qt.rgba(1, 1, 1, 0.9)
                                    : Qt.rgba(control.secondary.r, control.secondary.g,
                                              control.secondary.b, control.secondary.a * 0.7)
        }
    }
}
