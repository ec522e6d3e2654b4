import QtQuick

// What every button of the card shares, without the weight of a controls library: pressed by
// the pointer, by Space or Return once reached with Tab, and by assistive technology by name.
Item {
    id: control

    property string text
    property string description
    readonly property bool hovered: mouse.containsMouse
    readonly property bool pressed: mouse.pressed

    signal clicked

    activeFocusOnTab: true
    opacity: pressed ? 0.75 : 1
    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.description: description
    Accessible.focusable: true
    Accessible.onPressAction: control.clicked()
    Keys.onPressed: event => {
        if (event.key !== Qt.Key_Space && event.key !== Qt.Key_Return
                && event.key !== Qt.Key_Enter)
            return;
        event.accepted = true;
        if (!event.isAutoRepeat)
            control.clicked();
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        onClicked: control.clicked()
    }
}
