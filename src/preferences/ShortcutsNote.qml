import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Orvane.Settings
import Orvane.Preferences

// The desktop's own screenshot keys: text only, nothing is registered.
Rectangle {
    required property Item page

    Layout.fillWidth: true
    implicitHeight: shortcuts.implicitHeight + 24
    radius: 8
    color: page.tone(page.secondary, 0.05)

    RowLayout {
        id: shortcuts
        anchors.fill: parent
        anchors.margins: 12
        spacing: 12

        Image {
            source: page.symbol("keyboard", page.secondary)
            sourceSize: Qt.size(22, 22)
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            Text {
                objectName: "shortcutsHeading"
                text: page.texts.shortcutsHeading
                font.pixelSize: 11
                font.bold: true
                color: page.primary
            }
            Text {
                Layout.fillWidth: true
                text: page.texts.shortcutsLines
                textFormat: Text.PlainText
                font.pixelSize: 11
                color: page.secondary
                wrapMode: Text.Wrap
                Layout.preferredHeight: implicitHeight
            }
        }
    }
}
