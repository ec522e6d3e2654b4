import QtQuick
import QtQuick.Layouts
import Orvane.Hud

// One of the two wide copy buttons: icon tile, title over subtitle, a symbol at the end.
PlainButton {
    id: control

    property string subtitle
    property string iconName
    property string trailingName
    property bool prominent: false
    property color primary: "white"
    property color secondary: "white"

    Layout.fillWidth: true
    implicitWidth: content.implicitWidth + 24
    implicitHeight: content.implicitHeight + 18
    description: subtitle

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

    RowLayout {
        id: content
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        anchors.topMargin: 9
        anchors.bottomMargin: 9
        spacing: 10

        Rectangle {
            implicitWidth: 28
            implicitHeight: 28
            radius: 14
            color: Qt.rgba(1, 1, 1, control.prominent ? 0.22 : 0.12)

            Symbol {
                anchors.centerIn: parent
                name: control.iconName
                size: 13
                tint: control.prominent ? "white" : control.primary
            }
        }

        ColumnLayout {
            spacing: 1
            Layout.fillWidth: true

            Text {
                text: control.text
                font.pixelSize: 13
                font.bold: true
                color: control.prominent ? "white" : control.primary
                Layout.fillWidth: true
                elide: Text.ElideRight
            }
            Text {
                text: control.subtitle
                font.pixelSize: 10
                font.weight: Font.Medium
                color: control.prominent ? Qt.rgba(1, 1, 1, 0.85) : control.secondary
                Layout.fillWidth: true
                elide: Text.ElideRight
            }
        }

        Symbol {
            name: control.trailingName
            size: 11
            tint: control.prominent ? Qt.rgba(1, 1, 1, 0.9)
                                    : Qt.rgba(control.secondary.r, control.secondary.g,
                                              control.secondary.b, control.secondary.a * 0.7)
        }
    }
}
