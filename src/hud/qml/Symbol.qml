import QtQuick
import QtQuick.Window

// One of the program's symbols, by its SF Symbols name, in one colour.
Image {
    id: symbol

    property string name
    property color tint: "white"
    property real size: 12

    width: size
    height: size
    fillMode: Image.PreserveAspectFit
    smooth: true
    opacity: tint.a
    sourceSize: Qt.size(Math.ceil(size * Screen.devicePixelRatio),
                        Math.ceil(size * Screen.devicePixelRatio))
    source: name.length === 0 ? ""
        : "image://symbol/" + name + "?color="
          + encodeURIComponent(Qt.rgba(tint.r, tint.g, tint.b, 1).toString())
    Accessible.ignored: true
}
