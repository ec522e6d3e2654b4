import QtQuick
import QtQuick.Controls.Basic

// The switch of the preferences. Its accessible name is its row's title; it draws no text.
// It shows `isOn` and reports every change made to it, whether by pointer, key or an
// assistive tool, through userToggled().
Switch {
    id: control

    property bool isOn
    signal userToggled(bool value)

    property color accent: "#007AFF"
    // A grey that reads on light and dark themes alike.
    property color offColor: Qt.rgba(system.windowText.r, system.windowText.g,
                                     system.windowText.b, 0.22)

    padding: 0
    focusPolicy: Qt.StrongFocus
    implicitWidth: 40
    implicitHeight: 24
    contentItem: Item {}

    SystemPalette {
        id: system
        colorGroup: SystemPalette.Active
    }
    checked: isOn
    onCheckedChanged: {
        if (checked !== isOn) {
            userToggled(checked);
            // The setting decides what the switch shows, also when it refused the change.
            checked = Qt.binding(() => control.isOn);
        }
    }

    indicator: Rectangle {
        x: control.leftPadding
        y: (control.height - height) / 2
        implicitWidth: 38
        implicitHeight: 22
        radius: height / 2
        color: control.checked ? control.accent : control.offColor
        Behavior on color {
            ColorAnimation {
                duration: 200
                easing.type: Easing.InOutQuad
            }
        }

        Rectangle {
            width: 18
            height: 18
            radius: 9
            y: 2
            x: control.checked ? parent.width - width - 2 : 2
            color: "white"
            border.width: 1
            border.color: Qt.rgba(0, 0, 0, 0.08)
            Behavior on x {
                NumberAnimation {
                    duration: 200
                    easing.type: Easing.InOutQuad
                }
            }
        }

        // The keyboard focus ring.
        Rectangle {
            anchors.fill: parent
            anchors.margins: -3
            radius: height / 2
            color: "transparent"
            border.width: 2
            border.color: Qt.rgba(control.accent.r, control.accent.g, control.accent.b, 0.6)
            visible: control.visualFocus
        }
    }
}
