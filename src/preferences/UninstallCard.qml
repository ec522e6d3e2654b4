import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Orvane.Settings
import Orvane.Preferences

// The clean uninstall, behind its own confirmation.
Card {
    required property Item page

    Layout.fillWidth: true
    tint: page.red
    fillOpacity: 0.04
    strokeOpacity: 0.15
    spacing: 8

    RowLayout {
        Image {
            source: page.symbol("trash", page.tone(page.red, 0.85))
            sourceSize: Qt.size(15, 15)
        }
        Text {
            text: qsTr("Uninstall Orvane")
            font.pixelSize: 13
            font.bold: true
            color: page.primary
        }
    }
    Text {
        Layout.fillWidth: true
        text: page.texts.uninstallNote
        font.pixelSize: 11
        color: page.secondary
        wrapMode: Text.Wrap
        Layout.preferredHeight: implicitHeight
    }
    Button {
        id: uninstallButton
        Accessible.name: uninstallButton.text
        Accessible.onPressAction: uninstallButton.clicked()
        objectName: "uninstallButton"
        Layout.fillWidth: true
        text: qsTr("Uninstall & Restore Defaults...")
        focusPolicy: Qt.StrongFocus
        font.pixelSize: 12
        font.bold: true
        topPadding: 8
        bottomPadding: 8
        onClicked: page.promptUninstall()
        // Space asks on its press, once: a button asks on the key's release, and the X server
        // repeats a held key as releases and presses, each of which would ask again. What
        // follows of a held key goes to the question, which answers none of it.
        Keys.onPressed: event => {
            if (event.key === Qt.Key_Space) {
                event.accepted = true;
                if (!event.isAutoRepeat)
                    page.promptUninstall();
            }
        }
        Keys.onReleased: event => event.accepted = event.key === Qt.Key_Space
        contentItem: Item {
            implicitHeight: uninstallLabel.implicitHeight
            RowLayout {
                id: uninstallLabel
                anchors.centerIn: parent
                spacing: 6
                Image {
                    source: page.symbol("trash.fill", page.red)
                    sourceSize: Qt.size(13, 13)
                }
                Text {
                    text: uninstallButton.text
                    font: uninstallButton.font
                    color: page.red
                }
            }
        }
        background: Rectangle {
            radius: 8
            color: page.tone(page.red, uninstallButton.down ? 0.2 : 0.12)
            border.width: uninstallButton.visualFocus ? 2 : 0
            border.color: page.tone(page.red, 0.6)
        }
    }
}
