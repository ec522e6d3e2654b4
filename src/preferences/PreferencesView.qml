import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Orvane.Settings
import Orvane.Preferences

// The preferences window's content. It keeps no settings of its own: every value is read from
// and written to AppState, so a change made in the tray menu shows here at once.
Rectangle {
    id: view

    required property PreferencesBackend backend

    readonly property var texts: backend.texts
    readonly property color primary: system.windowText
    readonly property color secondary: tone(primary, 0.55)
    readonly property color accent: system.highlight
    readonly property color blue: "#007AFF"
    readonly property color green: "#34C759"
    readonly property color orange: "#FF9500"
    readonly property color red: "#FF3B30"
    readonly property color teal: "#30B0C7"

    function tone(c, alpha) {
        return Qt.rgba(c.r, c.g, c.b, alpha);
    }
    function symbol(name, c) {
        return "image://symbol/" + name + "?color=" + String(c).replace("#", "%23");
    }
    function statusText(paused) {
        return paused ? qsTr("Monitoring Paused") : qsTr("Active");
    }
    function monitoringSubtitle(paused) {
        return paused ? qsTr("Orvane monitoring is currently paused.")
                      : qsTr("Orvane floating HUD with 'Copy & Save' is active.");
    }
    function chooseCustomFolder() {
        backend.chooseCustomFolder();
    }
    function testHUD() {
        backend.testHUD();
    }
    function promptUninstall() {
        backend.promptUninstall();
    }

    // Keeps the control that Tab reached inside the visible part of the scroll area.
    function reveal(item) {
        let inside = item;
        while (inside && inside !== content)
            inside = inside.parent;
        if (!item || !inside)
            return;
        const flick = scroll.contentItem;
        const top = item.mapToItem(content, 0, 0).y + content.y - 8;
        const bottom = top + item.height + 16;
        if (top < flick.contentY)
            flick.contentY = Math.max(0, top);
        else if (bottom > flick.contentY + flick.height)
            flick.contentY = bottom - flick.height;
    }

    width: 480
    height: 620
    color: system.window
    focus: true

    SystemPalette {
        id: system
        colorGroup: SystemPalette.Active
    }

    Shortcut {
        sequences: [StandardKey.Close, "Esc"]
        onActivated: view.Window.window.close()
    }

    Connections {
        target: view.Window
        function onActiveFocusItemChanged() {
            view.reveal(view.Window.activeFocusItem);
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        // Header bar.
        HeaderBar {
            page: view
        }

        Rectangle {
            Layout.fillWidth: true
            implicitHeight: 1
            color: view.tone(view.primary, 0.12)
        }

        ScrollView {
            id: scroll
            Layout.fillWidth: true
            Layout.fillHeight: true
            contentWidth: availableWidth
            contentHeight: content.implicitHeight + 40
            ScrollBar.vertical.policy: ScrollBar.AlwaysOn

            ColumnLayout {
                id: content
                x: 20
                y: 20
                width: scroll.availableWidth - 40
                spacing: 16

                // Changes that will not last: said where they are made, not only in the log.
                Card {
                    objectName: "settingsNotice"
                    Layout.fillWidth: true
                    visible: AppState.settingsNotice !== ""
                    tint: view.orange
                    fillOpacity: 0.12
                    strokeOpacity: 0.5

                    Text {
                        Layout.fillWidth: true
                        text: AppState.settingsNotice
                        textFormat: Text.PlainText
                        wrapMode: Text.Wrap
                        font.pixelSize: 11
                        color: view.primary
                        Accessible.role: Accessible.AlertMessage
                        Accessible.name: text
                    }
                }

                // Monitoring.
                Card {
                    Layout.fillWidth: true
                    tint: view.accent
                    fillOpacity: 0.08
                    strokeOpacity: 0.25

                    RowLayout {
                        Layout.fillWidth: true

                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 2

                            Text {
                                text: qsTr("Enable Orvane Screenshot HUD")
                                font.pixelSize: 13
                                font.bold: true
                                color: view.primary
                            }
                            Text {
                                objectName: "monitoringSubtitle"
                                Layout.fillWidth: true
                                text: view.monitoringSubtitle(AppState.isPaused)
                                font.pixelSize: 11
                                color: view.secondary
                                wrapMode: Text.Wrap
                                Layout.preferredHeight: implicitHeight
                            }
                        }
                        PreferenceSwitch {
                            id: monitoringSwitch
                            objectName: "switch:Enable Orvane Screenshot HUD"
                            accent: view.accent
                            Accessible.name: qsTr("Enable Orvane Screenshot HUD")
                            isOn: !AppState.isPaused
                            onUserToggled: value => AppState.isPaused = !value
                        }
                    }
                }

                // Settings.
                SettingsCard {
                    page: view
                }

                // Save location.
                SaveLocationCard {
                    page: view
                }

                // Where Markup opens screenshots.
                MarkupCard {
                    page: view
                }

                // Preview.
                PreviewBlock {
                    page: view
                }

                // Shortcuts note: text only, nothing is registered.
                ShortcutsNote {
                    page: view
                }

                // Uninstall.
                UninstallCard {
                    page: view
                }
            }
        }
    }
}
