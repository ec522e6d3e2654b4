import QtQuick
import Orvane.Hud

// The floating window around one card. Its flags and its way of showing come from the
// platform; its size and place from HUDWindowController.
Window {
    id: panel

    required property FloatingHUDView card

    width: CardSize.Width
    height: CardSize.Height
    color: "transparent"
    title: card.texts.header

    CardLayout {
        anchors.fill: parent
        card: panel.card
    }
}
