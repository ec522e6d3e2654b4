#pragma once

#include <QString>
#include <QStringList>

namespace orvane {

// A notice or a question in a window of its own, as plain data: built by functions that tests
// read, shown by the module's alert window.
struct Alert {
    enum class Icon { Information, Warning, Critical };

    Icon icon = Icon::Information;
    QString title;         // the window's
    QString message;       // the first, bold line; also what a screen reader announces
    QString informative;   // the text under it
    QStringList buttons;   // left to right; texts are shown as written ("&" is an ampersand)
    int defaultButton = 0; // Return
    int cancelButton = 0;  // Escape and closing the window

    bool operator==(const Alert &) const = default;
};

// The folder chooser's request: opens at `startFolder`; its confirm button says `acceptLabel`.
struct FolderRequest {
    QString title;
    QString startFolder;
    QString acceptLabel;

    bool operator==(const FolderRequest &) const = default;
};

} // namespace orvane
