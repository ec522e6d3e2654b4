import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Orvane.Settings
import Orvane.Preferences

// The three switches and the auto-dismiss timer.
Card {
    required property Item page

    Layout.fillWidth: true
    spacing: 14

    ToggleRow {
        Layout.fillWidth: true
        icon: "power"
        title: "Launch at Login"
        subtitle: page.texts.launchAtLoginSubtitle
        isOn: AppState.isLaunchAtLoginEnabled
        iconColor: page.blue
        textColor: page.primary
        secondaryColor: page.secondary
        accent: page.accent
        onUserToggled: value => AppState.isLaunchAtLoginEnabled = value
    }
    Rectangle {
        Layout.fillWidth: true
        implicitHeight: 1
        color: page.tone(page.primary, 0.1)
    }
    ToggleRow {
        Layout.fillWidth: true
        icon: "doc.on.clipboard"
        title: "Auto-Copy on Capture (Zero-Click)"
        subtitle: "Instantly copy screenshot to clipboard the moment you take it"
        isOn: AppState.autoCopyOnCapture
        iconColor: page.blue
        textColor: page.primary
        secondaryColor: page.secondary
        accent: page.accent
        onUserToggled: value => AppState.autoCopyOnCapture = value
    }
    Rectangle {
        Layout.fillWidth: true
        implicitHeight: 1
        color: page.tone(page.primary, 0.1)
    }
    ToggleRow {
        Layout.fillWidth: true
        icon: "speaker.wave.2"
        title: "Play Sound Effects"
        subtitle: "Audible feedback for copy, save, and trash actions"
        isOn: AppState.playSound
        iconColor: page.blue
        textColor: page.primary
        secondaryColor: page.secondary
        accent: page.accent
        onUserToggled: value => AppState.playSound = value
    }
    Rectangle {
        Layout.fillWidth: true
        implicitHeight: 1
        color: page.tone(page.primary, 0.1)
    }
    ToggleRow {
        Layout.fillWidth: true
        icon: "timer"
        title: "Auto-Dismiss Timer"
        subtitle: "How long the floating card stays before fading"
        iconColor: page.blue
        textColor: page.primary
        secondaryColor: page.secondary

        SegmentedPicker {
            objectName: "timerPicker"
            Accessible.name: "Auto-Dismiss Timer"
            accent: page.accent
            textColor: page.primary
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
