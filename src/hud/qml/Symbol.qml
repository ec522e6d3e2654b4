import QtQuick
import Orvane.Hud

// One of the program's symbols, by its SF Symbols name, in one colour. It takes its size in
// points in every layout, whatever the screen's scale.
SymbolItem {
    property color tint: "white"
    property real size: 12

    implicitWidth: size
    implicitHeight: size
    color: tint
    opacity: tint.a
    Accessible.ignored: true
}
