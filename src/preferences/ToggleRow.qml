import QtQuick
import QtQuick.Layouts

// One setting: its symbol, title and one-line explanation, and a switch. A row given an item
// of its own (the timer's picker) shows that in place of the switch.
RowLayout {
    id: row

    property string icon
    property string title
    property string subtitle
    property bool isOn
    property color iconColor: "#007AFF"
    property color textColor: "black"
    property color secondaryColor: "gray"
    property color accent: "#007AFF"
    default property alias trailing: trailingSlot.data

    // The user flipped the switch to `value`.
    signal userToggled(bool value)

    spacing: 8

    RowLayout {
        Layout.fillWidth: true
        spacing: 10

        Image {
            Layout.preferredWidth: 20
            Layout.alignment: Qt.AlignVCenter
            source: "image://symbol/" + row.icon + "?color=" + String(row.iconColor).replace("#", "%23")
            sourceSize: Qt.size(16, 16)
            fillMode: Image.PreserveAspectFit
            horizontalAlignment: Image.AlignHCenter
        }
        // A plain column: a layout would keep a wrapped text's first, narrower height.
        Column {
            Layout.fillWidth: true
            spacing: 2

            Text {
                width: parent.width
                text: row.title
                textFormat: Text.PlainText
                font.pixelSize: 12
                font.weight: Font.DemiBold
                color: row.textColor
                wrapMode: Text.Wrap
            }
            Text {
                width: parent.width
                text: row.subtitle
                textFormat: Text.PlainText
                font.pixelSize: 11
                color: row.secondaryColor
                wrapMode: Text.Wrap
            }
        }
    }

    Item {
        id: trailingSlot
        visible: children.length > 0
        implicitWidth: childrenRect.width
        implicitHeight: childrenRect.height
    }

    PreferenceSwitch {
        objectName: "switch:" + row.title
        visible: trailingSlot.children.length === 0
        Accessible.ignored: !visible
        accent: row.accent
        Accessible.name: row.title
        isOn: row.isOn
        onUserToggled: value => row.userToggled(value)
    }
}
