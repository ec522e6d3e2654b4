import QtQuick
import QtQuick.Dialogs

// The folder chooser. The platform's own, where its theme lends one, opens over `owner`; Qt
// Quick's is drawn inside a window, so it gets this one, sized for it, rather than the owner's.
Window {
    id: host

    property var owner: null
    property url startFolder
    property alias acceptLabel: dialog.acceptLabel
    property bool answered: false
    property bool moving: false

    signal chosen(url folder)
    signal cancelled

    function answer(folder) {
        if (answered || moving)
            return;
        answered = true;
        if (folder === undefined)
            cancelled();
        else
            chosen(folder);
    }
    function choose() {
        dialog.parentWindow = owner ? owner : host;
        // The platform's opens over its owner, or on its own, blocking nothing.
        dialog.modality = owner ? Qt.WindowModal : Qt.NonModal;
        dialog.open();
    }
    // Qt Quick's chooser, drawn over the owner when it had no other choice, moves here.
    function drawHere() {
        moving = true;
        dialog.close();
        moving = false;
        dialog.parentWindow = host;
        dialog.modality = Qt.WindowModal;
        dialog.open();
    }

    objectName: "folderChooserWindow"
    flags: Qt.Dialog
    width: 660
    height: 560
    minimumWidth: 480
    minimumHeight: 400

    onClosing: answer(undefined)

    FolderDialog {
        id: dialog
        objectName: "folderDialog"
        title: host.title
        currentFolder: host.startFolder
        onAccepted: host.answer(selectedFolder)
        onRejected: host.answer(undefined)
    }
}
