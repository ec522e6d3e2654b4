import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Orvane.Settings
import Orvane.Preferences

// The switches and the auto-dismiss timer.
Card {
    required property Item page

    Layout.fillWidth: true
    spacing: 14

    ToggleRow {
        Layout.fillWidth: true
        icon: "power"
        title: qsTr("Launch at Login")
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
        title: qsTr("Auto-Copy on Capture (Zero-Click)")
        subtitle: qsTr("Instantly copy screenshot to clipboard the moment you take it")
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
        title: qsTr("Play Sound Effects")
        subtitle: qsTr("Audible feedback for copy, save, and trash actions")
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
        icon: "arrow.uturn.backward"
        title: qsTr("Offer Undo after trashing")
        subtitle: qsTr("A notification to put back a screenshot moved to the Trash")
        isOn: AppState.offerUndoAfterTrash
        iconColor: page.blue
        textColor: page.primary
        secondaryColor: page.secondary
        accent: page.accent
        onUserToggled: value => AppState.offerUndoAfterTrash = value
    }
    Rectangle {
        Layout.fillWidth: true
        implicitHeight: 1
        color: page.tone(page.primary, 0.1)
    }
    ToggleRow {
        Layout.fillWidth: true
        icon: "timer"
        title: qsTr("Auto-Dismiss Timer")
        subtitle: qsTr("How long the floating card stays before fading")
        iconColor: page.blue
        textColor: page.primary
        secondaryColor: page.secondary

        SegmentedPicker {
            objectName: "timerPicker"
            Accessible.name: qsTr("Auto-Dismiss Timer")
            accent: page.accent
            textColor: page.primary
            value: AppState.autoDismissSeconds
            options: AppState.autoDismissChoices.map(seconds => ({
                        text: seconds === AppState.defaultAutoDismissSeconds
                              ? qsTr("%1s (Default)").arg(seconds) : qsTr("%1s").arg(seconds),
                        value: seconds
                    }))
            onPicked: seconds => {
                if (AppState.autoDismissSeconds !== seconds)
                    AppState.autoDismissSeconds = seconds;
            }
        }
    }
}
