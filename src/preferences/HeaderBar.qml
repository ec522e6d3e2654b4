import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Orvane.Settings
import Orvane.Preferences

// The window's header: the icon, name, version, tagline and the monitoring badge.
Rectangle {
    required property Item page

    Layout.fillWidth: true
    implicitHeight: header.implicitHeight + 40
    color: page.tone(page.secondary, 0.05)

    RowLayout {
        id: header
        anchors.fill: parent
        anchors.margins: 20
        spacing: 16

        Item {
            implicitWidth: 54
            implicitHeight: 54

            Image {
                anchors.fill: parent
                visible: page.backend.appIcon !== ""
                source: page.backend.appIcon
                sourceSize: Qt.size(108, 108)
                fillMode: Image.PreserveAspectFit
            }
            Image {
                objectName: "fallbackIcon"
                anchors.centerIn: parent
                visible: page.backend.appIcon === ""
                source: page.symbol("camera.viewfinder", page.blue)
                sourceSize: Qt.size(42, 42)
            }
        }

        ColumnLayout {
            spacing: 4

            RowLayout {
                spacing: 8

                Text {
                    text: "Orvane"
                    font.pixelSize: 20
                    font.bold: true
                    color: page.primary
                }
                Rectangle {
                    implicitWidth: version.implicitWidth + 12
                    implicitHeight: version.implicitHeight + 4
                    radius: height / 2
                    color: page.tone(page.secondary, 0.15)

                    Text {
                        id: version
                        anchors.centerIn: parent
                        text: "v" + (Qt.application.version || "1.0")
                        font.pixelSize: 10
                        font.bold: true
                        color: page.secondary
                    }
                }
            }
            Text {
                text: page.texts.tagline
                font.pixelSize: 12
                font.weight: Font.Medium
                color: page.secondary
            }
        }

        Item {
            Layout.fillWidth: true
        }

        Rectangle {
            implicitWidth: badge.implicitWidth + 20
            implicitHeight: badge.implicitHeight + 12
            radius: height / 2
            color: page.tone(page.secondary, 0.1)

            RowLayout {
                id: badge
                anchors.centerIn: parent
                spacing: 6

                Rectangle {
                    objectName: "statusDot"
                    implicitWidth: 8
                    implicitHeight: 8
                    radius: 4
                    color: AppState.isPaused ? page.orange : page.green
                }
                Text {
                    objectName: "statusText"
                    text: page.statusText(AppState.isPaused)
                    font.pixelSize: 11
                    font.weight: Font.DemiBold
                    color: page.primary
                }
            }
        }
    }
}
