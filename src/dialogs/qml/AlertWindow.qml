import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// A notice or a question in a window of its own: the kind's icon, the message in bold, the
// text under it and the buttons, left to right. Return chooses the default button, Escape and
// the window's close button the cancel button; Tab moves between the buttons, Space presses
// the one that has the focus.
Window {
    id: alert

    // Alert::Icon: 0 information, 1 warning, 2 critical.
    property int icon: 0
    property string message
    property string informative
    property var buttons: []
    property int defaultButton: 0
    property int cancelButton: 0
    property bool answered: false

    // Once: a key, a click and the close button may all arrive before the window goes.
    signal chosen(int button)

    function answer(button) {
        if (answered)
            return;
        answered = true;
        chosen(button);
    }
    function tone(c, alpha) {
        return Qt.rgba(c.r, c.g, c.b, alpha);
    }

    readonly property color primary: system.windowText
    readonly property color secondary: tone(primary, 0.7)
    readonly property color accent: "#007AFF"
    readonly property color iconColor: ["#007AFF", "#FF9500", "#FF3B30"][icon] || accent

    objectName: "alertWindow"
    flags: Qt.Dialog | Qt.CustomizeWindowHint | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    color: system.window
    width: 440
    height: content.implicitHeight + 40
    minimumWidth: width
    maximumWidth: width
    minimumHeight: height
    maximumHeight: height

    onClosing: answer(cancelButton)
    onVisibleChanged: {
        if (visible)
            buttonRow.focusDefault();
    }

    SystemPalette {
        id: system
        colorGroup: SystemPalette.Active
    }

    FocusScope {
        anchors.fill: parent
        focus: true
        Accessible.role: Accessible.AlertMessage
        Accessible.name: alert.message
        Accessible.description: alert.informative

        Keys.onPressed: event => {
            // A key held down since before the alert opened (the Return or Space that chose
            // "Uninstall..." in the menu) answers nothing: only a fresh press does.
            if (event.isAutoRepeat) {
                event.accepted = true;
            } else if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                event.accepted = true;
                alert.answer(alert.defaultButton);
            } else if (event.key === Qt.Key_Escape) {
                event.accepted = true;
                alert.answer(alert.cancelButton);
            }
        }

        ColumnLayout {
            id: content
            anchors.fill: parent
            anchors.margins: 20
            spacing: 18

            RowLayout {
                Layout.fillWidth: true
                spacing: 16

                Item {
                    objectName: "alertIcon"
                    Layout.alignment: Qt.AlignTop
                    implicitWidth: 44
                    implicitHeight: 44
                    Accessible.ignored: true

                    // Information and critical: a disc; warning: a triangle.
                    Rectangle {
                        anchors.fill: parent
                        visible: alert.icon !== 1
                        radius: width / 2
                        color: alert.iconColor
                    }
                    Canvas {
                        anchors.fill: parent
                        visible: alert.icon === 1
                        onPaint: {
                            const g = getContext("2d");
                            g.reset();
                            g.fillStyle = alert.iconColor;
                            g.lineJoin = "round";
                            g.lineWidth = 4;
                            g.strokeStyle = alert.iconColor;
                            g.beginPath();
                            g.moveTo(width / 2, 3);
                            g.lineTo(width - 2, height - 4);
                            g.lineTo(2, height - 4);
                            g.closePath();
                            g.fill();
                            g.stroke();
                        }
                    }
                    Text {
                        anchors.horizontalCenter: parent.horizontalCenter
                        anchors.verticalCenter: parent.verticalCenter
                        anchors.verticalCenterOffset: alert.icon === 1 ? 4 : 0
                        text: alert.icon === 0 ? "i" : "!"
                        font.pixelSize: alert.icon === 1 ? 24 : 28
                        font.bold: true
                        font.family: "serif"
                        color: "white"
                    }
                }

                // A set width, so that the wrapped texts' height is known before the window's.
                Column {
                    Layout.alignment: Qt.AlignTop
                    Layout.preferredWidth: width
                    Layout.preferredHeight: implicitHeight
                    width: alert.width - 40 - 44 - 16
                    spacing: 8

                    TextEdit {
                        objectName: "alertMessage"
                        width: parent.width
                        text: alert.message
                        textFormat: TextEdit.PlainText
                        wrapMode: TextEdit.Wrap
                        readOnly: true
                        selectByMouse: true
                        activeFocusOnTab: false
                        font.pixelSize: 14
                        font.bold: true
                        color: alert.primary
                        selectionColor: system.highlight
                        selectedTextColor: system.highlightedText
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                    }
                    TextEdit {
                        objectName: "alertInformative"
                        width: parent.width
                        visible: text !== ""
                        text: alert.informative
                        textFormat: TextEdit.PlainText
                        wrapMode: TextEdit.Wrap
                        readOnly: true
                        selectByMouse: true
                        activeFocusOnTab: false
                        font.pixelSize: 12
                        color: alert.secondary
                        selectionColor: system.highlight
                        selectedTextColor: system.highlightedText
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                    }
                }
            }

            RowLayout {
                id: buttonRow

                function focusDefault() {
                    const button = buttonRepeater.itemAt(alert.defaultButton);
                    if (button)
                        button.forceActiveFocus(Qt.ActiveWindowFocusReason);
                }

                Layout.alignment: Qt.AlignRight
                spacing: 8

                Repeater {
                    id: buttonRepeater
                    model: alert.buttons

                    // The label is not the control's text: Qt Quick reads "&" there as the mark
                    // of a shortcut key, and ours are ampersands.
                    Button {
                        id: button

                        required property string modelData
                        required property int index
                        readonly property bool isDefault: index === alert.defaultButton

                        objectName: "alertButton:" + modelData
                        focusPolicy: Qt.StrongFocus
                        Accessible.name: modelData
                        Accessible.onPressAction: button.clicked()
                        // See the window's keys: a held key presses no button.
                        Keys.onPressed: event => event.accepted = event.isAutoRepeat
                        Keys.onReleased: event => event.accepted = event.isAutoRepeat
                        implicitWidth: Math.max(84, implicitContentWidth + 28)
                        implicitHeight: implicitContentHeight + 14
                        onClicked: alert.answer(index)

                        contentItem: Text {
                            text: button.modelData
                            textFormat: Text.PlainText
                            font.pixelSize: 13
                            font.bold: button.isDefault
                            color: button.isDefault ? "white" : alert.primary
                            horizontalAlignment: Text.AlignHCenter
                            verticalAlignment: Text.AlignVCenter
                        }
                        background: Rectangle {
                            radius: 6
                            color: button.isDefault
                                   ? (button.down ? Qt.darker(alert.accent, 1.2) : alert.accent)
                                   : alert.tone(alert.primary, button.down ? 0.2 : 0.1)
                            border.width: button.visualFocus ? 2 : 0
                            border.color: button.isDefault ? alert.tone(alert.primary, 0.6)
                                                           : system.highlight
                        }
                    }
                }
            }
        }
    }
}
