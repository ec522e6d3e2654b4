import QtQuick

// A small capsule label over the thumbnail.
Item {
    id: badge

    property alias text: label.text
    property alias font: label.font
    property alias color: label.color

    implicitWidth: label.implicitWidth + 14
    implicitHeight: label.implicitHeight + 6

    // A darker, less see-through ground than the card's own.
    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: Qt.rgba(0.08, 0.09, 0.1, 0.72)
    }

    Text {
        id: label
        anchors.centerIn: parent
        font.pixelSize: 9
    }
}
