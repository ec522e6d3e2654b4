import QtQuick
import QtQuick.Controls.Basic

// One line of the share menu, compact and in the card's colours.
MenuItem {
    id: item

    implicitHeight: 28 // the menu places itself by this height
    leftPadding: 10
    rightPadding: 10
    // Found and pressed by name, like the card's buttons; a menu item has no press of its own
    // for assistive technology.
    Accessible.role: Accessible.MenuItem
    Accessible.name: text
    Accessible.onPressAction: item.clicked()

    contentItem: Text {
        text: item.text
        font.pixelSize: 12
        color: item.enabled ? Qt.rgba(1, 1, 1, 0.92) : Qt.rgba(1, 1, 1, 0.4)
        elide: Text.ElideRight
        verticalAlignment: Text.AlignVCenter
    }
    background: Rectangle {
        radius: 5
        color: item.highlighted ? Qt.rgba(0.05, 0.60, 0.56, 0.9) : "transparent"
    }
}
