#include "dialogs/Dialogs.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace orvane::dialogs {

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("Dialogs", text);
}

// A folder not made yet (the capture tools' own, before their first capture) opens at its
// nearest existing parent rather than wherever the program happened to be started.
QString nearestExistingFolder(const QString &path)
{
    if (path.isEmpty()) {
        return path;
    }
    QFileInfo folder(path);
    while (!folder.isDir() && !folder.isRoot()) {
        const QFileInfo parent(folder.absolutePath());
        if (parent.absoluteFilePath() == folder.absoluteFilePath()) {
            break;
        }
        folder = parent;
    }
    return folder.absoluteFilePath();
}

} // namespace

QString literalAmpersands(QString text)
{
    return text.replace(u'&', QStringLiteral("&&"));
}

FolderRequest folderChooser(const QString &message, const QString &startFolder)
{
    return {.title = message,
            .startFolder = nearestExistingFolder(startFolder),
            .acceptLabel = translated(QT_TRANSLATE_NOOP("Dialogs", "Select Folder"))};
}

Alert uninstallAlert(Alert::Icon icon, const UninstallAlertTexts &texts)
{
    return {.icon = icon,
            .title = texts.title,
            .message = texts.message,
            .informative = texts.informative,
            .buttons = {translated(QT_TRANSLATE_NOOP("Dialogs", "Uninstall & Move to Trash")),
                        translated(QT_TRANSLATE_NOOP("Dialogs", "Cancel"))},
            .defaultButton = 0,
            .cancelButton = 1};
}

bool uninstallConfirmed(int button)
{
    return button == 0;
}

} // namespace orvane::dialogs
