import QtQuick
import Orvane.Hud

// The card: header, thumbnail with its badges, file name, the actions (or the confirmation
// that replaced them) and the countdown bar, on a dark translucent ground that stays
// readable over any window.
Item {
    id: root

    required property FloatingHUDView card

    readonly property color primary: Qt.rgba(1, 1, 1, 0.92)
    readonly property color secondary: Qt.rgba(1, 1, 1, 0.58)
    // Translucent only where the compositor blurs what is behind; else nearly opaque, so
    // that no text of the window behind shows through the card's own.
    readonly property color material: Qt.rgba(0.10, 0.11, 0.13, card.blurredBehind ? 0.88 : 0.97)
    readonly property bool confirming: card.actionFeedback.length > 0

    // An action that has no way of its own to finish (sharing without the system's picker)
    // opens the card's menu above its button.
    function run(id, button) {
        const anchor = button.mapToItem(null, 0, 0, button.width, button.height);
        if (!root.card.runAction(id, root.Window.window, anchor))
            shareMenu.openAbove(button);
    }

    Rectangle {
        objectName: "cardBackground"
        anchors.fill: column
        radius: 18
        color: root.material

        // The card moves with the pointer when dragged by its body. Moved by hand, from
        // global positions, rather than by the window manager: the same on every desktop.
        MouseArea {
            property point pressedAt
            property point windowAt

            anchors.fill: parent
            onPressed: mouse => {
                pressedAt = mapToGlobal(mouse.x, mouse.y);
                windowAt = Qt.point(root.Window.window.x, root.Window.window.y);
            }
            onPositionChanged: mouse => {
                const now = mapToGlobal(mouse.x, mouse.y);
                root.Window.window.x = windowAt.x + now.x - pressedAt.x;
                root.Window.window.y = windowAt.y + now.y - pressedAt.y;
            }
        }
    }

    // Plain positioners and anchors, not Qt Quick Layouts: the card is a fixed column, and the
    // layouts' library would be loaded and held for it alone.
    Column {
        id: column

        // Heights rounded up to whole device pixels, as the layouts rounded them to whole
        // points, so that each part starts on one and its text and edges stay sharp.
        readonly property real pixelRatio: root.card.pixelRatio

        function snapped(size) {
            return Math.ceil(size * pixelRatio - 0.01) / pixelRatio;
        }

        width: CardSize.Width
        x: Math.floor((parent.width - width) / 2 * pixelRatio) / pixelRatio
        y: Math.floor((parent.height - height) / 2 * pixelRatio) / pixelRatio
        spacing: 12
        topPadding: 12
        bottomPadding: 10

        // Hovering anywhere on the card, its buttons included, pauses the countdown.
        HoverHandler {
            onHoveredChanged: root.card.isHovering = hovered
        }

        // Header
        Item {
            x: 14
            width: parent.width - 28
            height: Math.max(title.height, closeButton.height)

            Row {
                id: title
                anchors.left: parent.left
                anchors.verticalCenter: parent.verticalCenter
                spacing: 6

                AuroraItem {
                    anchors.verticalCenter: parent.verticalCenter
                    symbol: "camera.viewfinder"
                    width: 14
                    height: 14
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: root.card.texts.header
                    font.pixelSize: 12
                    font.bold: true
                    color: Qt.rgba(1, 1, 1, 0.92 * 0.85)
                }
            }
            PlainButton {
                id: closeButton
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                // Whole points at every quarter scale: a circle of a fractional pixel size is
                // cut flat on two sides by the software renderer.
                width: 20
                height: 20
                text: root.card.texts.close
                onClicked: root.card.close()

                Rectangle {
                    anchors.fill: parent
                    radius: width / 2
                    color: Qt.rgba(1, 1, 1, 0.12)
                }
                Symbol {
                    anchors.fill: parent
                    anchors.margins: 5
                    name: "xmark"
                    size: 9
                    tint: root.secondary
                }
            }
        }

        // Thumbnail, with the file's type and size over its bottom edge
        Item {
            x: 14
            width: parent.width - 28
            height: column.snapped(thumbnail.height)

            // The thumbnail is already the part to show (the top of a tall capture, the start
            // of a wide one); the frame takes its proportions, at most 140 high.
            ThumbnailItem {
                id: thumbnail
                readonly property size shown: root.card.shownSize
                width: parent.width
                height: shown.width > 0 ? Math.min(140, width * shown.height / shown.width) : 0
                image: root.card.thumbnail
                radius: 12

                // Dragging the thumbnail hands the screenshot to where it is dropped; the rest
                // of the card still moves the card.
                MouseArea {
                    property point pressedAt
                    property bool dragged: false

                    anchors.fill: parent
                    cursorShape: Qt.OpenHandCursor
                    onPressed: mouse => {
                        pressedAt = Qt.point(mouse.x, mouse.y);
                        dragged = false;
                    }
                    onPositionChanged: mouse => {
                        if (dragged || Math.hypot(mouse.x - pressedAt.x, mouse.y - pressedAt.y)
                                < Qt.styleHints.startDragDistance)
                            return;
                        dragged = true;
                        root.card.startDrag();
                    }
                }
            }
            Item {
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: thumbnail.bottom
                anchors.margins: 6
                height: Math.max(typeBadge.height, sizeBadge.height)

                Badge {
                    id: typeBadge
                    anchors.left: parent.left
                    anchors.verticalCenter: parent.verticalCenter
                    text: root.card.fileType
                    font.bold: true
                    color: root.primary
                }
                Badge {
                    id: sizeBadge
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    text: root.card.sizeText
                    font.family: root.card.monospaceFamily
                    font.weight: Font.DemiBold
                    color: Qt.rgba(1, 1, 1, 0.92 * 0.9)
                }
            }
        }

        // File name, shortened in the middle so its start and extension stay visible
        Text {
            x: 14
            width: parent.width - 28
            height: column.snapped(implicitHeight)
            text: root.card.fileName
            font.family: root.card.monospaceFamily
            font.pixelSize: 10
            font.weight: Font.Medium
            color: root.secondary
            elide: Text.ElideMiddle
            maximumLineCount: 1
        }

        // The actions, or the confirmation that replaced them
        Item {
            width: parent.width
            height: column.snapped(root.confirming ? banner.height : buttons.height)

            Column {
                id: buttons
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.leftMargin: 14
                anchors.rightMargin: 14
                spacing: 7
                visible: !root.confirming

                // The card's six actions (CardActions.cpp), each in its place, rather than made
                // by Repeaters: quicker to make, and without running Qt's models library.
                Column {
                    id: wideButtons

                    readonly property var actions: root.card.actions.filter(action => action.wide)

                    width: parent.width
                    spacing: 7

                    WideButton {
                        id: copyAndKeep
                        action: wideButtons.actions[0]
                        primary: root.primary
                        secondary: root.secondary
                        onClicked: root.run(action.id, copyAndKeep)
                    }
                    WideButton {
                        id: copyAndTrash
                        action: wideButtons.actions[1]
                        primary: root.primary
                        secondary: root.secondary
                        onClicked: root.run(action.id, copyAndTrash)
                    }
                }
                // Placed by hand: those with words share the row evenly, a symbol alone keeps
                // its size, and every edge falls on a whole device pixel with the remainders
                // passed on, so that the row ends exactly where the buttons above it do.
                Item {
                    id: smallButtons

                    readonly property var actions: root.card.actions.filter(action => !action.wide)
                    readonly property real spacing: 6
                    readonly property real symbolWidth: widest("implicitWidth", true)
                    readonly property real sharedWidth: {
                        const alone = actions.filter(action => action.title.length === 0).length;
                        const left = width - spacing * (actions.length - 1) - alone * symbolWidth;
                        return Math.max(0, left / Math.max(1, actions.length - alone));
                    }

                    // The largest `size` among the buttons (those with a symbol alone only).
                    function widest(size, alone) {
                        let widest = 0;
                        for (let i = 0; i < children.length; ++i) {
                            if (!alone || children[i].text.length === 0)
                                widest = Math.max(widest, children[i][size]);
                        }
                        return widest;
                    }
                    // Where the button at `index` starts and ends.
                    function startOf(index) {
                        return snapped(unrounded(index));
                    }
                    function endOf(index) {
                        return snapped(unrounded(index) + widthOf(index));
                    }
                    function unrounded(index) {
                        let x = 0;
                        for (let i = 0; i < index; ++i)
                            x += widthOf(i) + spacing;
                        return x;
                    }
                    function widthOf(index) {
                        return actions[index].title.length > 0 ? sharedWidth : symbolWidth;
                    }
                    function snapped(x) {
                        return Math.round(x * column.pixelRatio) / column.pixelRatio;
                    }

                    width: parent.width
                    height: widest("implicitHeight", false)

                    SmallButton {
                        id: share
                        action: smallButtons.actions[0]
                        index: 0
                        primary: root.primary
                        onClicked: root.run(action.id, share)
                        onHoveredChanged: tip.follow(share)
                    }
                    SmallButton {
                        id: markup
                        action: smallButtons.actions[1]
                        index: 1
                        primary: root.primary
                        onClicked: root.run(action.id, markup)
                        onHoveredChanged: tip.follow(markup)
                    }
                    SmallButton {
                        id: reveal
                        action: smallButtons.actions[2]
                        index: 2
                        primary: root.primary
                        onClicked: root.run(action.id, reveal)
                        onHoveredChanged: tip.follow(reveal)
                    }
                    SmallButton {
                        id: trash
                        action: smallButtons.actions[3]
                        index: 3
                        primary: root.primary
                        onClicked: root.run(action.id, trash)
                        onHoveredChanged: tip.follow(trash)
                    }
                }
            }

            AuroraItem {
                id: banner
                objectName: "banner"
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.leftMargin: 14
                anchors.rightMargin: 14
                height: bannerRow.height + 28
                radius: 14
                underText: true
                visible: opacity > 0
                opacity: root.confirming ? 1 : 0
                scale: root.confirming ? 1 : 0.6
                Accessible.role: Accessible.StaticText
                Accessible.name: root.card.actionFeedback

                Behavior on opacity {
                    NumberAnimation {
                        duration: 300
                        easing.type: Easing.OutCubic
                    }
                }
                Behavior on scale {
                    NumberAnimation {
                        duration: 300
                        easing.type: Easing.OutBack
                        easing.overshoot: 1.2
                    }
                }

                // A failure: its own warning colours and triangle, told apart from a success
                // at a glance and not by colour alone.
                Rectangle {
                    objectName: "failureGround"
                    anchors.fill: parent
                    radius: parent.radius
                    visible: root.card.feedbackIsFailure
                    color: Qt.rgba(0.72, 0.25, 0.08, 1)
                    border.width: 1
                    border.color: Qt.rgba(1, 0.80, 0.40, 0.9)
                }

                Row {
                    id: bannerRow
                    anchors.centerIn: parent
                    spacing: 8

                    Symbol {
                        anchors.verticalCenter: parent.verticalCenter
                        name: root.card.feedbackIcon
                        size: 17
                    }
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: root.card.actionFeedback
                        font.pixelSize: 13
                        font.bold: true
                        color: "white"
                    }
                }
            }
        }

        // The countdown: the only display of the time left
        Item {
            objectName: "progressTrack"
            x: 14
            width: parent.width - 28
            height: column.snapped(3.5)

            Rectangle {
                anchors.fill: parent
                radius: height / 2
                color: Qt.rgba(1, 1, 1, 0.08)
            }
            // A plain rectangle, moved once a tick and whole device pixels at a time: the
            // card stays still between ticks, and nothing thinner than a pixel is drawn.
            Rectangle {
                readonly property real pixelRatio: root.card.pixelRatio
                objectName: "progressFill"
                radius: height / 2
                height: parent.height
                width: Math.floor(parent.width * root.card.progress * pixelRatio) / pixelRatio
                visible: width > 0
                gradient: Gradient {
                    orientation: Gradient.Horizontal
                    GradientStop {
                        position: 0.0
                        color: Qt.rgba(0.06, 0.76, 0.54, 1)
                    }
                    GradientStop {
                        position: 0.5
                        color: Qt.rgba(0.05, 0.60, 0.56, 1)
                    }
                    GradientStop {
                        position: 1.0
                        color: Qt.rgba(0.04, 0.54, 0.68, 1)
                    }
                }
            }
        }
    }

    // The small buttons' one tooltip: after the pointer has rested on a button a moment, above
    // it and inside the window; not while the share menu is open.
    Rectangle {
        id: tip

        property SmallButton owner: null

        function follow(button) {
            const wanted = button.hovered && button.tooltip.length > 0 && !shareMenu.visible;
            if (wanted) {
                owner = button;
                visible = false;
                delay.restart();
            } else if (owner === button) {
                hide();
            }
        }
        function hide() {
            owner = null;
            delay.stop();
            visible = false;
        }

        z: 2
        visible: false
        width: label.width + 12
        height: label.height + 12
        color: "white"
        border.color: "#353637"
        Accessible.role: Accessible.ToolTip
        Accessible.name: label.text

        Text {
            id: label
            x: 6
            y: 6
            width: Math.min(implicitWidth, root.width - 24)
            text: tip.owner ? tip.owner.tooltip : ""
            wrapMode: Text.Wrap
            color: "black"
        }
        Timer {
            id: delay
            interval: 600
            onTriggered: {
                const at = tip.owner.mapToItem(root, (tip.owner.width - tip.width) / 2,
                                               -tip.height - 3);
                tip.x = Math.max(6, Math.min(at.x, root.width - 6 - tip.width));
                tip.y = Math.max(6, Math.min(at.y, root.height - 6 - tip.height));
                tip.visible = true;
            }
        }
    }

    // A press anywhere outside the share menu closes it, and still reaches what it was on;
    // but on the menu's own button it only closes it, as passed on it would open it again.
    MouseArea {
        z: 3
        anchors.fill: parent
        visible: shareMenu.visible
        onPressed: mouse => {
            const opener = shareMenu.opener;
            const onOpener = opener !== null
                    && opener.contains(mapToItem(opener, mouse.x, mouse.y));
            shareMenu.close();
            mouse.accepted = onOpener;
        }
    }

    // Where the system offers no share picker: the ways to share a file on this desktop. Its
    // lines are made when it opens, so a card that never shares never builds them.
    FocusScope {
        id: shareMenu

        property var applications: []
        property Item opener: null
        property int currentIndex: -1
        readonly property int itemHeight: 28
        readonly property int count: 2 + applications.length

        // Above the button, the list of applications read afresh each time.
        function openAbove(button) {
            applications = root.card.openWithApplications().slice(0, 5);
            opener = button;
            currentIndex = -1;
            tip.hide();
            const at = button.mapToItem(root, 0, -4 - height);
            x = Math.max(0, Math.min(at.x, root.width - width));
            y = Math.max(0, Math.min(at.y, root.height - height));
            visible = true;
            forceActiveFocus();
        }
        function close() {
            if (!visible)
                return;
            const hadFocus = activeFocus;
            visible = false;
            if (hadFocus && opener)
                opener.forceActiveFocus();
            // Still on its button, the pointer gets the button's tooltip back.
            if (opener)
                tip.follow(opener);
        }
        function trigger(index) {
            close();
            if (index === 0)
                root.card.shareCopyFile();
            else if (index === 1)
                root.card.shareByEmail();
            else if (index - 2 < applications.length)
                root.card.shareOpenWith(applications[index - 2].id);
        }

        z: 4
        visible: false
        width: 220
        height: count * itemHeight + 8
        Accessible.role: Accessible.PopupMenu
        Keys.onPressed: event => {
            event.accepted = true;
            if (event.key === Qt.Key_Down)
                currentIndex = Math.min(currentIndex + 1, count - 1);
            else if (event.key === Qt.Key_Up)
                currentIndex = currentIndex < 0 ? count - 1 : Math.max(currentIndex - 1, 0);
            else if (event.key === Qt.Key_Escape || event.key === Qt.Key_Tab
                     || event.key === Qt.Key_Backtab)
                close(); // focus goes back to Share, not on past a menu left open
            else if ((event.key === Qt.Key_Return || event.key === Qt.Key_Enter
                      || event.key === Qt.Key_Space) && currentIndex >= 0)
                trigger(currentIndex);
            else
                event.accepted = false;
        }

        Rectangle {
            anchors.fill: parent
            radius: 9
            color: Qt.rgba(0.16, 0.17, 0.19, 0.98)
            border.color: Qt.rgba(1, 1, 1, 0.12)

            // A press on the menu's edge, between its lines, stops here: it must not reach
            // the button under the menu (Copy Only would trash the file).
            MouseArea {
                anchors.fill: parent
            }
        }
        Loader {
            anchors.fill: parent
            anchors.margins: 4
            active: shareMenu.visible
            sourceComponent: Column {
                Repeater {
                    model: [root.card.texts.shareCopyFile, root.card.texts.shareEmail].concat(
                        shareMenu.applications.map(
                            app => root.card.texts.shareOpenWith + " " + app.name))

                    ShareMenuItem {
                        required property int index
                        required property string modelData

                        width: parent.width
                        text: modelData
                        highlighted: index === shareMenu.currentIndex
                        onHovered: shareMenu.currentIndex = index
                        onTriggered: shareMenu.trigger(index)
                    }
                }
            }
        }
    }
}
