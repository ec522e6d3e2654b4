import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// A row of segments, one per option; the one whose value is `value` is marked, and none when
// no option has that value.
Rectangle {
    id: picker

    // [{ text, value }]
    property var options: []
    property var value
    property color accent: "#007AFF"
    property color textColor: "black"
    signal picked(var value)

    implicitWidth: 170
    implicitHeight: 24
    radius: 6
    color: Qt.rgba(textColor.r, textColor.g, textColor.b, 0.08)
    border.width: 1
    border.color: Qt.rgba(textColor.r, textColor.g, textColor.b, 0.12)
    Accessible.role: Accessible.Grouping

    RowLayout {
        anchors.fill: parent
        anchors.margins: 2
        spacing: 2

        Repeater {
            model: picker.options

            RadioButton {
                id: segment

                required property var modelData

                objectName: "segment:" + modelData.text
                text: modelData.text
                Accessible.name: modelData.text
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.preferredWidth: implicitContentWidth + 12
                focusPolicy: Qt.StrongFocus
                autoExclusive: false
                padding: 0
                checked: picker.value === modelData.value
                // Pointer, key and assistive tools all change `checked`; the stored value
                // decides what stays marked.
                onCheckedChanged: {
                    const selected = picker.value === modelData.value;
                    if (checked !== selected) {
                        if (checked)
                            picker.picked(modelData.value);
                        checked = Qt.binding(() => picker.value === segment.modelData.value);
                    }
                }

                indicator: Item {}
                contentItem: Text {
                    text: segment.text
                    font.pixelSize: 11
                    font.weight: segment.checked ? Font.DemiBold : Font.Normal
                    color: segment.checked ? "white" : picker.textColor
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                }
                background: Rectangle {
                    radius: 5
                    color: segment.checked ? picker.accent : (segment.hovered ? Qt.rgba(picker.textColor.r, picker.textColor.g, picker.textColor.b, 0.08) : "transparent")
                    border.width: segment.visualFocus ? 2 : 0
                    border.color: Qt.rgba(picker.accent.r, picker.accent.g, picker.accent.b, 0.6)
                }
            }
        }
    }
}
