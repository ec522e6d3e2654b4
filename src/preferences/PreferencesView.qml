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
        return paused ? "Monitoring Paused" : "Active";
    }
    function monitoringSubtitle(paused) {
        return paused ? "Orvane monitoring is currently paused."
                      : "Orvane floating HUD with 'Copy & Save' is active.";
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
        Rectangle {
            Layout.fillWidth: true
            implicitHeight: header.implicitHeight + 40
            color: view.tone(view.secondary, 0.05)

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
                        visible: view.backend.appIcon !== ""
                        source: view.backend.appIcon
                        sourceSize: Qt.size(108, 108)
                        fillMode: Image.PreserveAspectFit
                    }
                    Image {
                        objectName: "fallbackIcon"
                        anchors.centerIn: parent
                        visible: view.backend.appIcon === ""
                        source: view.symbol("camera.viewfinder", view.blue)
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
                            color: view.primary
                        }
                        Rectangle {
                            implicitWidth: version.implicitWidth + 12
                            implicitHeight: version.implicitHeight + 4
                            radius: height / 2
                            color: view.tone(view.secondary, 0.15)

                            Text {
                                id: version
                                anchors.centerIn: parent
                                text: "v" + (Qt.application.version || "1.0")
                                font.pixelSize: 10
                                font.bold: true
                                color: view.secondary
                            }
                        }
                    }
                    Text {
                        text: view.texts.tagline
                        font.pixelSize: 12
                        font.weight: Font.Medium
                        color: view.secondary
                    }
                }

                Item {
                    Layout.fillWidth: true
                }

                Rectangle {
                    implicitWidth: badge.implicitWidth + 20
                    implicitHeight: badge.implicitHeight + 12
                    radius: height / 2
                    color: view.tone(view.secondary, 0.1)

                    RowLayout {
                        id: badge
                        anchors.centerIn: parent
                        spacing: 6

                        Rectangle {
                            objectName: "statusDot"
                            implicitWidth: 8
                            implicitHeight: 8
                            radius: 4
                            color: AppState.isPaused ? view.orange : view.green
                        }
                        Text {
                            objectName: "statusText"
                            text: view.statusText(AppState.isPaused)
                            font.pixelSize: 11
                            font.weight: Font.DemiBold
                            color: view.primary
                        }
                    }
                }
            }
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
                                text: "Enable Orvane Screenshot HUD"
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
                            Accessible.name: "Enable Orvane Screenshot HUD"
                            isOn: !AppState.isPaused
                            onUserToggled: value => AppState.isPaused = !value
                        }
                    }
                }

                // Settings.
                Card {
                    Layout.fillWidth: true
                    spacing: 14

                    ToggleRow {
                        Layout.fillWidth: true
                        icon: "power"
                        title: "Launch at Login"
                        subtitle: view.texts.launchAtLoginSubtitle
                        isOn: AppState.isLaunchAtLoginEnabled
                        iconColor: view.blue
                        textColor: view.primary
                        secondaryColor: view.secondary
                        accent: view.accent
                        onUserToggled: value => AppState.isLaunchAtLoginEnabled = value
                    }
                    Rectangle {
                        Layout.fillWidth: true
                        implicitHeight: 1
                        color: view.tone(view.primary, 0.1)
                    }
                    ToggleRow {
                        Layout.fillWidth: true
                        icon: "doc.on.clipboard"
                        title: "Auto-Copy on Capture (Zero-Click)"
                        subtitle: "Instantly copy screenshot to clipboard the moment you take it"
                        isOn: AppState.autoCopyOnCapture
                        iconColor: view.blue
                        textColor: view.primary
                        secondaryColor: view.secondary
                        accent: view.accent
                        onUserToggled: value => AppState.autoCopyOnCapture = value
                    }
                    Rectangle {
                        Layout.fillWidth: true
                        implicitHeight: 1
                        color: view.tone(view.primary, 0.1)
                    }
                    ToggleRow {
                        Layout.fillWidth: true
                        icon: "speaker.wave.2"
                        title: "Play Sound Effects"
                        subtitle: "Audible feedback for copy, save, and trash actions"
                        isOn: AppState.playSound
                        iconColor: view.blue
                        textColor: view.primary
                        secondaryColor: view.secondary
                        accent: view.accent
                        onUserToggled: value => AppState.playSound = value
                    }
                    Rectangle {
                        Layout.fillWidth: true
                        implicitHeight: 1
                        color: view.tone(view.primary, 0.1)
                    }
                    ToggleRow {
                        Layout.fillWidth: true
                        icon: "timer"
                        title: "Auto-Dismiss Timer"
                        subtitle: "How long the floating card stays before fading"
                        iconColor: view.blue
                        textColor: view.primary
                        secondaryColor: view.secondary

                        SegmentedPicker {
                            objectName: "timerPicker"
                            Accessible.name: "Auto-Dismiss Timer"
                            accent: view.accent
                            textColor: view.primary
                            value: AppState.autoDismissSeconds
                            options: [
                                { text: "4s", value: 4 },
                                { text: "7s (Default)", value: 7 },
                                { text: "12s", value: 12 }
                            ]
                            onPicked: seconds => {
                                if (AppState.autoDismissSeconds !== seconds)
                                    AppState.autoDismissSeconds = seconds;
                            }
                        }
                    }
                }

                // Save location.
                Card {
                    Layout.fillWidth: true
                    spacing: 10

                    RowLayout {
                        Layout.fillWidth: true

                        Image {
                            source: view.symbol("folder", view.blue)
                            sourceSize: Qt.size(16, 16)
                        }
                        Text {
                            text: "Screenshot Save Location"
                            font.pixelSize: 13
                            font.weight: Font.DemiBold
                            color: view.primary
                        }
                        Item {
                            Layout.fillWidth: true
                        }
                        Button {
                            id: changeButton
                            Accessible.name: changeButton.text
                            Accessible.onPressAction: changeButton.clicked()
                            objectName: "changeFolderButton"
                            text: "Change..."
                            focusPolicy: Qt.StrongFocus
                            font.pixelSize: 11
                            padding: 4
                            leftPadding: 10
                            rightPadding: 10
                            onClicked: view.chooseCustomFolder()
                            contentItem: Text {
                                text: changeButton.text
                                font: changeButton.font
                                color: view.primary
                                horizontalAlignment: Text.AlignHCenter
                            }
                            background: Rectangle {
                                radius: 5
                                color: changeButton.down ? view.tone(view.primary, 0.14) : view.tone(view.primary, 0.05)
                                border.width: changeButton.visualFocus ? 2 : 1
                                border.color: changeButton.visualFocus ? view.tone(view.accent, 0.7) : view.tone(view.primary, 0.2)
                            }
                        }
                        Button {
                            id: resetButton
                            Accessible.name: resetButton.text
                            Accessible.onPressAction: resetButton.clicked()
                            objectName: "resetFolderButton"
                            text: "Reset"
                            visible: AppState.customFolderPath !== null
                            Accessible.ignored: !visible
                            focusPolicy: Qt.StrongFocus
                            font.pixelSize: 11
                            padding: 4
                            onClicked: AppState.customFolderPath = null
                            contentItem: Text {
                                text: resetButton.text
                                font: resetButton.font
                                color: view.secondary
                            }
                            background: Rectangle {
                                radius: 4
                                color: "transparent"
                                border.width: resetButton.visualFocus ? 2 : 0
                                border.color: view.tone(view.accent, 0.7)
                            }
                        }
                    }

                    Rectangle {
                        Layout.fillWidth: true
                        implicitHeight: pathRow.implicitHeight + 16
                        radius: 6
                        color: view.tone(view.secondary, 0.08)

                        RowLayout {
                            id: pathRow
                            anchors.fill: parent
                            anchors.margins: 8

                            Text {
                                objectName: "displayPath"
                                Layout.fillWidth: true
                                text: view.backend.displayPath(AppState.resolvedScreenshotDirectory)
                                textFormat: Text.PlainText
                                font.family: view.backend.monospaceFamily
                                font.pixelSize: 11
                                color: view.secondary
                                elide: Text.ElideMiddle
                                maximumLineCount: 1
                            }
                            Button {
                                id: openButton
                                Accessible.name: openButton.text
                                Accessible.onPressAction: openButton.clicked()
                                objectName: "openFolderButton"
                                text: view.texts.openFolder
                                focusPolicy: Qt.StrongFocus
                                font.pixelSize: 11
                                padding: 2
                                onClicked: view.backend.openScreenshotFolder()
                                contentItem: RowLayout {
                                    spacing: 4
                                    Text {
                                        text: openButton.text
                                        font.pixelSize: 11
                                        font.underline: openButton.hovered
                                        color: view.blue
                                    }
                                    Image {
                                        source: view.symbol("arrow.up.right.square", view.blue)
                                        sourceSize: Qt.size(12, 12)
                                    }
                                }
                                background: Rectangle {
                                    radius: 4
                                    color: "transparent"
                                    border.width: openButton.visualFocus ? 2 : 0
                                    border.color: view.tone(view.accent, 0.7)
                                }
                            }
                        }
                    }
                }

                // Preview.
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 8

                    Button {
                        id: simulateButton

                        Accessible.name: simulateButton.text

                        Accessible.onPressAction: simulateButton.clicked()
                        objectName: "simulateButton"
                        Layout.fillWidth: true
                        text: "Simulate Screenshot HUD (Preview)"
                        focusPolicy: Qt.StrongFocus
                        font.pixelSize: 13
                        font.bold: true
                        topPadding: 10
                        bottomPadding: 10
                        onClicked: view.testHUD()
                        contentItem: Item {
                            implicitHeight: simulateLabel.implicitHeight
                            RowLayout {
                                id: simulateLabel
                                anchors.centerIn: parent
                                spacing: 8
                                Image {
                                    source: view.symbol("play.circle.fill", "white")
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
                                color: view.tone(view.teal, 0.3)
                            }
                            Rectangle {
                                anchors.fill: parent
                                radius: 10
                                opacity: simulateButton.down ? 0.85 : 1
                                gradient: Gradient {
                                    orientation: Gradient.Horizontal
                                    GradientStop { position: 0; color: view.teal }
                                    GradientStop { position: 1; color: view.blue }
                                }
                                border.width: simulateButton.visualFocus ? 2 : 0
                                border.color: view.tone(view.primary, 0.6)
                            }
                        }
                    }
                    Text {
                        Layout.fillWidth: true
                        Layout.leftMargin: 2
                        Layout.rightMargin: 2
                        text: "Simulates a sample capture to preview your floating HUD design, actions, and countdown duration."
                        font.pixelSize: 11
                        color: view.secondary
                        wrapMode: Text.Wrap
                        Layout.preferredHeight: implicitHeight
                    }
                }

                // Shortcuts note: text only, nothing is registered.
                Rectangle {
                    Layout.fillWidth: true
                    implicitHeight: shortcuts.implicitHeight + 24
                    radius: 8
                    color: view.tone(view.secondary, 0.05)

                    RowLayout {
                        id: shortcuts
                        anchors.fill: parent
                        anchors.margins: 12
                        spacing: 12

                        Image {
                            source: view.symbol("keyboard", view.secondary)
                            sourceSize: Qt.size(22, 22)
                        }
                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 2
                            Text {
                                objectName: "shortcutsHeading"
                                text: view.texts.shortcutsHeading
                                font.pixelSize: 11
                                font.bold: true
                                color: view.primary
                            }
                            Text {
                                Layout.fillWidth: true
                                text: view.texts.shortcutsLines
                                textFormat: Text.PlainText
                                font.pixelSize: 11
                                color: view.secondary
                                wrapMode: Text.Wrap
                                Layout.preferredHeight: implicitHeight
                            }
                        }
                    }
                }

                // Uninstall.
                Card {
                    Layout.fillWidth: true
                    tint: view.red
                    fillOpacity: 0.04
                    strokeOpacity: 0.15
                    spacing: 8

                    RowLayout {
                        Image {
                            source: view.symbol("trash", view.tone(view.red, 0.85))
                            sourceSize: Qt.size(15, 15)
                        }
                        Text {
                            text: "Uninstall Orvane"
                            font.pixelSize: 13
                            font.bold: true
                            color: view.primary
                        }
                    }
                    Text {
                        Layout.fillWidth: true
                        text: view.texts.uninstallNote
                        font.pixelSize: 11
                        color: view.secondary
                        wrapMode: Text.Wrap
                        Layout.preferredHeight: implicitHeight
                    }
                    Button {
                        id: uninstallButton
                        Accessible.name: uninstallButton.text
                        Accessible.onPressAction: uninstallButton.clicked()
                        objectName: "uninstallButton"
                        Layout.fillWidth: true
                        text: "Uninstall & Restore Defaults..."
                        focusPolicy: Qt.StrongFocus
                        font.pixelSize: 12
                        font.bold: true
                        topPadding: 8
                        bottomPadding: 8
                        onClicked: view.promptUninstall()
                        contentItem: Item {
                            implicitHeight: uninstallLabel.implicitHeight
                            RowLayout {
                                id: uninstallLabel
                                anchors.centerIn: parent
                                spacing: 6
                                Image {
                                    source: view.symbol("trash.fill", view.red)
                                    sourceSize: Qt.size(13, 13)
                                }
                                Text {
                                    text: uninstallButton.text
                                    font: uninstallButton.font
                                    color: view.red
                                }
                            }
                        }
                        background: Rectangle {
                            radius: 8
                            color: view.tone(view.red, uninstallButton.down ? 0.2 : 0.12)
                            border.width: uninstallButton.visualFocus ? 2 : 0
                            border.color: view.tone(view.red, 0.6)
                        }
                    }
                }
            }
        }
    }
}
