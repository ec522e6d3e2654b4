import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Orvane.Settings
import Orvane.Preferences

// The simulated capture that previews the card.
ColumnLayout {
    required property Item page

    Layout.fillWidth: true
    spacing: 8

    Button {
        id: simulateButton

        Accessible.name: simulateButton.text

        Accessible.onPressAction: simulateButton.clicked()
        objectName: "simulateButton"
        Layout.fillWidth: true
        text: qsTr("Simulate Screenshot HUD (Preview)")
        focusPolicy: Qt.StrongFocus
        font.pixelSize: 13
        font.bold: true
        topPadding: 10
        bottomPadding: 10
        onClicked: page.testHUD()
        contentItem: Item {
            implicitHeight: simulateLabel.implicitHeight
            RowLayout {
                id: simulateLabel
                anchors.centerIn: parent
                spacing: 8
                Image {
                    source: page.symbol("play.circle.fill", "white")
                    sourceSize: Qt.size(16, 16)
                }
                Text {
                    text: simulateButton.text
                    font: simulateButton.font
                    color: "white"
                }
            }
        }
        background: Item {
            // The shadow: teal, a little below.
            Rectangle {
                anchors.fill: parent
                anchors.topMargin: 3
                anchors.bottomMargin: -3
                radius: 10
                color: page.tone(page.teal, 0.3)
            }
            Rectangle {
                anchors.fill: parent
                radius: 10
                opacity: simulateButton.down ? 0.85 : 1
                gradient: Gradient {
                    orientation: Gradient.Horizontal
                    GradientStop { position: 0; color: page.teal }
                    GradientStop { position: 1; color: page.blue }
                }
                border.width: simulateButton.visualFocus ? 2 : 0
                border.color: page.tone(page.primary, 0.6)
            }
        }
    }
    Text {
        Layout.fillWidth: true
        Layout.leftMargin: 2
        Layout.rightMargin: 2
        text: qsTr("Simulates a sample capture to preview your floating HUD design, actions, and countdown duration.")
        font.pixelSize: 11
        color: page.secondary
        wrapMode: Text.Wrap
        Layout.preferredHeight: implicitHeight
    }
}
