import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Orvane.Settings
import Orvane.Preferences

// Where screenshots are saved: change, reset and open the folder.
Card {
    required property Item page

    Layout.fillWidth: true
    spacing: 10

    RowLayout {
        Layout.fillWidth: true

        Image {
            source: page.symbol("folder", page.blue)
            sourceSize: Qt.size(16, 16)
        }
        Text {
            text: qsTr("Screenshot Save Location")
            font.pixelSize: 13
            font.weight: Font.DemiBold
            color: page.primary
        }
        Item {
            Layout.fillWidth: true
        }
        Button {
            id: changeButton
            Accessible.name: changeButton.text
            Accessible.onPressAction: changeButton.clicked()
            objectName: "changeFolderButton"
            text: qsTr("Change...")
            focusPolicy: Qt.StrongFocus
            font.pixelSize: 11
            padding: 4
            leftPadding: 10
            rightPadding: 10
            onClicked: page.chooseCustomFolder()
            contentItem: Text {
                text: changeButton.text
                font: changeButton.font
                color: page.primary
                horizontalAlignment: Text.AlignHCenter
            }
            background: Rectangle {
                radius: 5
                color: changeButton.down ? page.tone(page.primary, 0.14) : page.tone(page.primary, 0.05)
                border.width: changeButton.visualFocus ? 2 : 1
                border.color: changeButton.visualFocus ? page.tone(page.accent, 0.7) : page.tone(page.primary, 0.2)
            }
        }
        Button {
            id: resetButton
            Accessible.name: resetButton.text
            Accessible.onPressAction: resetButton.clicked()
            objectName: "resetFolderButton"
            text: qsTr("Reset")
            visible: AppState.customFolderPath !== null
            Accessible.ignored: !visible
            focusPolicy: Qt.StrongFocus
            font.pixelSize: 11
            padding: 4
            onClicked: AppState.customFolderPath = null
            contentItem: Text {
                text: resetButton.text
                font: resetButton.font
                color: page.secondary
            }
            background: Rectangle {
                radius: 4
                color: "transparent"
                border.width: resetButton.visualFocus ? 2 : 0
                border.color: page.tone(page.accent, 0.7)
            }
        }
    }

    Rectangle {
        Layout.fillWidth: true
        implicitHeight: pathRow.implicitHeight + 16
        radius: 6
        color: page.tone(page.secondary, 0.08)

        RowLayout {
            id: pathRow
            anchors.fill: parent
            anchors.margins: 8

            Text {
                objectName: "displayPath"
                Layout.fillWidth: true
                text: page.backend.displayPath(AppState.resolvedScreenshotDirectory)
                textFormat: Text.PlainText
                font.family: page.backend.monospaceFamily
                font.pixelSize: 11
                color: page.secondary
                elide: Text.ElideMiddle
                maximumLineCount: 1
            }
            Button {
                id: openButton
                Accessible.name: openButton.text
                Accessible.onPressAction: openButton.clicked()
                objectName: "openFolderButton"
                text: page.texts.openFolder
                focusPolicy: Qt.StrongFocus
                font.pixelSize: 11
                padding: 2
                onClicked: page.backend.openScreenshotFolder()
                contentItem: RowLayout {
                    spacing: 4
                    Text {
                        text: openButton.text
                        font.pixelSize: 11
                        font.underline: openButton.hovered
                        color: page.blue
                    }
                    Image {
                        source: page.symbol("arrow.up.right.square", page.blue)
                        sourceSize: Qt.size(12, 12)
                    }
                }
                background: Rectangle {
                    radius: 4
                    color: "transparent"
                    border.width: openButton.visualFocus ? 2 : 0
                    border.color: page.tone(page.accent, 0.7)
                }
            }
        }
    }
}
