import QtQuick

// One level of the tray's own menu: the menu itself or one of its submenus. MenuPopup.cpp
// makes the window, places it, routes the keys to the deepest open level and opens and closes
// the submenus; this file draws the rows and says what the user asked for.
Window {
    id: menu

    // Each entry: title, separator, enabled, checkable, checked, shortcut (text), submenu (bool).
    required property var entries
    property bool isSubmenu: false
    property int currentIndex: -1
    // The row whose submenu is open beside this level, kept highlighted.
    property int submenuIndex: -1

    // A row without a submenu was chosen.
    signal activated(int index)
    // The submenu of a row should open; by the keyboard, its first row is selected.
    signal submenuRequested(int index, bool byKeyboard)
    // The submenu open beside this level should close (the pointer moved to another row).
    signal submenuDismissed
    // Escape, or Left in a submenu: this level should close.
    signal closeRequested

    readonly property int padding: 4
    readonly property int rowHeight: 26
    readonly property int separatorHeight: 9
    readonly property int markWidth: 24
    readonly property int arrowWidth: 22
    // How long the pointer rests on another row before the open submenu gives way: on its
    // way to the submenu it may cross a row or two.
    property int hoverDelay: 250

    function hoverSettled(index) {
        if (entries[index].submenu)
            submenuRequested(index, false);
        else if (submenuIndex >= 0)
            submenuDismissed();
    }

    function selectable(index) {
        const entry = entries[index];
        return entry !== undefined && !entry.separator && entry.enabled;
    }
    // The next row that can be chosen, from `from` in the direction `step`, wrapping round.
    function nextSelectable(from, step) {
        const count = entries.length;
        for (let i = 1; i <= count; ++i) {
            const index = ((from + step * i) % count + count) % count;
            if (selectable(index))
                return index;
        }
        return -1;
    }
    function selectFirst() {
        currentIndex = nextSelectable(-1, 1);
    }
    function choose(index) {
        if (!selectable(index))
            return;
        currentIndex = index;
        if (entries[index].submenu)
            submenuRequested(index, true);
        else
            activated(index);
    }
    // The rectangle of a row in the window, where its submenu lines up.
    function rowRect(index) {
        const row = rows.itemAt(index);
        return row ? Qt.rect(row.x + column.x, row.y + column.y, row.width, row.height)
                   : Qt.rect(0, 0, width, rowHeight);
    }
    // Called for every key while this level is the deepest one open; true when it was used.
    function handleKey(key) {
        switch (key) {
        case Qt.Key_Down:
            currentIndex = nextSelectable(currentIndex < 0 ? -1 : currentIndex, 1);
            return true;
        case Qt.Key_Up:
            currentIndex = nextSelectable(currentIndex < 0 ? entries.length : currentIndex, -1);
            return true;
        case Qt.Key_Home:
            currentIndex = nextSelectable(-1, 1);
            return true;
        case Qt.Key_End:
            currentIndex = nextSelectable(entries.length, -1);
            return true;
        case Qt.Key_Return:
        case Qt.Key_Enter:
        case Qt.Key_Space:
            if (currentIndex >= 0)
                choose(currentIndex);
            return true;
        case Qt.Key_Right:
            if (currentIndex >= 0 && selectable(currentIndex) && entries[currentIndex].submenu)
                submenuRequested(currentIndex, true);
            return true;
        case Qt.Key_Left:
            if (isSubmenu)
                closeRequested();
            return true;
        case Qt.Key_Escape:
            closeRequested();
            return true;
        }
        return false;
    }

    // Not a Qt.Popup: Qt leaves popup windows out of what screen readers are shown, and on
    // X11 this is the same unmanaged window on top, one that can also take the focus. A
    // submenu never takes it: the menu passes it the keys, and a focus lost as it closes
    // would close the menu.
    flags: Qt.Tool | Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint
           | Qt.BypassWindowManagerHint | (isSubmenu ? Qt.WindowDoesNotAcceptFocus : 0)
    color: system.window
    // The widest row's own width, as the rows are made; the menu fits it.
    property real widest: 0
    width: Math.ceil(Math.max(180, widest)) + 2 * padding
    height: column.implicitHeight + 2 * padding
    title: "Orvane"

    Timer {
        id: hoverIntent

        property int row: -1

        function restartFor(index) {
            row = index;
            restart();
        }

        interval: menu.hoverDelay
        onTriggered: menu.hoverSettled(row)
    }
    SystemPalette {
        id: system
        colorGroup: SystemPalette.Active
    }

    Rectangle {
        anchors.fill: parent
        color: "transparent"
        border.color: Qt.rgba(system.windowText.r, system.windowText.g, system.windowText.b,
                              0.25)
    }

    Column {
        id: column
        x: menu.padding
        y: menu.padding
        width: menu.width - 2 * menu.padding

        Accessible.role: Accessible.PopupMenu
        Accessible.name: menu.title

        Repeater {
            id: rows
            model: menu.entries

            Item {
                id: row

                required property int index
                required property var modelData
                readonly property bool separator: modelData.separator
                readonly property bool highlighted: modelData.enabled && !separator
                    && (index === menu.currentIndex || index === menu.submenuIndex)

                width: column.width
                height: separator ? menu.separatorHeight : menu.rowHeight
                implicitWidth: separator ? 0
                    : menu.markWidth + title.implicitWidth + 12
                      + (shortcut.text.length > 0 ? shortcut.implicitWidth + 24 : 0)
                      + menu.arrowWidth

                Accessible.role: separator ? Accessible.Separator : Accessible.MenuItem
                Accessible.name: modelData.title
                Accessible.checkable: modelData.checkable
                Accessible.checked: modelData.checked
                Accessible.selected: highlighted
                Accessible.onPressAction: menu.choose(index)
                enabled: modelData.enabled
                onImplicitWidthChanged: menu.widest = Math.max(menu.widest, implicitWidth)
                Component.onCompleted: menu.widest = Math.max(menu.widest, implicitWidth)

                Rectangle {
                    visible: row.separator
                    x: 6
                    width: parent.width - 12
                    anchors.verticalCenter: parent.verticalCenter
                    height: 1
                    color: Qt.rgba(system.windowText.r, system.windowText.g,
                                   system.windowText.b, 0.18)
                }
                Rectangle {
                    anchors.fill: parent
                    visible: row.highlighted
                    radius: 4
                    color: system.highlight
                }
                Text {
                    visible: !row.separator && row.modelData.checkable && row.modelData.checked
                    width: menu.markWidth
                    height: parent.height
                    text: "✓"
                    font.pixelSize: 13
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    color: title.color
                }
                Text {
                    id: title
                    visible: !row.separator
                    x: menu.markWidth
                    height: parent.height
                    text: row.modelData.title
                    textFormat: Text.PlainText
                    font.pixelSize: 13
                    verticalAlignment: Text.AlignVCenter
                    color: !row.modelData.enabled
                           ? Qt.rgba(system.windowText.r, system.windowText.g,
                                     system.windowText.b, 0.55)
                           : row.highlighted ? system.highlightedText : system.windowText
                }
                Text {
                    id: shortcut
                    visible: !row.separator && text.length > 0
                    anchors.right: parent.right
                    anchors.rightMargin: menu.arrowWidth
                    height: parent.height
                    text: row.modelData.shortcut
                    textFormat: Text.PlainText
                    font.pixelSize: 12
                    verticalAlignment: Text.AlignVCenter
                    color: title.color
                    opacity: 0.7
                }
                Text {
                    visible: !row.separator && row.modelData.submenu
                    anchors.right: parent.right
                    width: menu.arrowWidth
                    height: parent.height
                    text: "▸"
                    font.pixelSize: 13
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    color: title.color
                }
                MouseArea {
                    anchors.fill: parent
                    hoverEnabled: true
                    onEntered: {
                        if (!menu.selectable(row.index)) {
                            return;
                        }
                        menu.currentIndex = row.index;
                        if (menu.submenuIndex < 0)
                            menu.hoverSettled(row.index);
                        else if (menu.submenuIndex !== row.index)
                            hoverIntent.restartFor(row.index);
                    }
                    onExited: {
                        if (hoverIntent.row === row.index)
                            hoverIntent.stop();
                        if (menu.currentIndex === row.index && menu.submenuIndex !== row.index)
                            menu.currentIndex = -1;
                    }
                    onClicked: menu.choose(row.index)
                }
            }
        }
    }
}
