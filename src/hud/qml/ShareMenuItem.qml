import QtQuick

// One line of the share menu, compact and in the card's colours. Found and pressed by name,
// like the card's buttons.
Item {
    id: item

    property string text
    property bool highlighted: false

    signal triggered
    signal hovered

    implicitHeight: 28 // the menu places itself by this height
    Accessible.role: Accessible.MenuItem
    Accessible.name: text
    Accessible.onPressAction: item.triggered()

    Rectangle {
        anchors.fill: parent
        radius: 5
        color: item.highlighted ? Qt.rgba(0.05, 0.60, 0.56, 0.9) : "transparent"
    }
    // A name too long for the line loses its last words, never a word's middle ("Open With
    // ImageMagick…"); the whole name is in the tooltip and for screen readers.
    function fitted(text, width) {
        metrics.text = text;
        if (metrics.advanceWidth <= width)
            return text;
        const words = text.split(" ");
        while (words.length > 1) {
            words.pop();
            metrics.text = words.join(" ") + "…";
            if (metrics.advanceWidth <= width)
                return metrics.text;
        }
        return text; // one word too long: cut where it ends, by the line's own elision
    }

    TextMetrics {
        id: metrics
        font: label.font
    }
    Text {
        id: label
        objectName: "label"
        x: 10
        y: 6
        width: parent.width - 20
        height: parent.height - 12
        text: item.fitted(item.text, width)
        font.pixelSize: 12
        color: Qt.rgba(1, 1, 1, 0.92)
        elide: Text.ElideRight
        verticalAlignment: Text.AlignVCenter
    }
    MouseArea {
        id: pointer
        anchors.fill: parent
        hoverEnabled: true
        onEntered: item.hovered()
        onClicked: item.triggered()
    }
    Rectangle {
        objectName: "fullName"
        z: 3
        visible: pointer.containsMouse && label.text !== item.text && shown.ready
        x: 4
        y: -height - 2
        width: Math.min(full.implicitWidth + 12, item.width + 40)
        height: full.implicitHeight + 10
        color: "white"
        border.color: "#353637"
        Accessible.role: Accessible.ToolTip
        Accessible.name: item.text

        Text {
            id: full
            x: 6
            y: 5
            width: parent.width - 12
            text: item.text
            font.pixelSize: 11
            color: "black"
            wrapMode: Text.Wrap
        }
        Timer {
            id: shown
            property bool ready: false
            interval: 600
            running: pointer.containsMouse
            onRunningChanged: ready = false
            onTriggered: ready = true
        }
    }
}
