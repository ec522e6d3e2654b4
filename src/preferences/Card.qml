import QtQuick
import QtQuick.Layouts

// A card of the preferences: plain (a light fill) or tinted with a colour, fill and stroke.
Rectangle {
    id: card

    property color tint: "gray"
    property real fillOpacity: 0.06
    property real strokeOpacity: 0
    property alias spacing: body.spacing
    default property alias content: body.data

    implicitHeight: body.implicitHeight + 28
    radius: 12
    color: Qt.rgba(tint.r, tint.g, tint.b, fillOpacity)
    border.width: strokeOpacity > 0 ? 1 : 0
    border.color: Qt.rgba(tint.r, tint.g, tint.b, strokeOpacity)

    ColumnLayout {
        id: body
        anchors {
            left: parent.left
            right: parent.right
            top: parent.top
            margins: 14
        }
        spacing: 10
    }
}
