#include "dialogs/Dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>

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

std::unique_ptr<QFileDialog> folderChooser(const QString &message, const QString &startFolder)
{
    auto dialog =
        std::make_unique<QFileDialog>(nullptr, message, nearestExistingFolder(startFolder));
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    dialog->setLabelText(QFileDialog::Accept,
                         translated(QT_TRANSLATE_NOOP("Dialogs", "Select Folder")));
    dialog->setAccessibleName(message);
    return dialog;
}

std::optional<QString> chosenFolder(const QFileDialog &dialog, int result)
{
    const QStringList files = dialog.selectedFiles();
    if (result != QDialog::Accepted || files.isEmpty() || files.first().isEmpty()) {
        return std::nullopt;
    }
    return files.first();
}

std::unique_ptr<QMessageBox> uninstallAlert(QMessageBox::Icon icon,
                                            const UninstallAlertTexts &texts)
{
    auto alert = std::make_unique<QMessageBox>();
    alert->setIcon(icon);
    alert->setWindowTitle(texts.title);
    alert->setText(texts.message);
    alert->setInformativeText(texts.informative);
    // One role for both keeps them in this order on every desktop; Escape still cancels.
    QPushButton *uninstall = alert->addButton(
        literalAmpersands(translated(QT_TRANSLATE_NOOP("Dialogs", "Uninstall & Move to Trash"))),
        QMessageBox::ActionRole);
    QPushButton *cancel = alert->addButton(translated(QT_TRANSLATE_NOOP("Dialogs", "Cancel")),
                                           QMessageBox::ActionRole);
    uninstall->setObjectName(QStringLiteral("uninstall"));
    cancel->setObjectName(QStringLiteral("cancel"));
    alert->setDefaultButton(uninstall);
    alert->setEscapeButton(cancel);
    alert->setAccessibleName(texts.message);
    return alert;
}

bool uninstallConfirmed(const QMessageBox &alert)
{
    const QAbstractButton *clicked = alert.clickedButton();
    return clicked && clicked->objectName() == QStringLiteral("uninstall");
}

} // namespace orvane::dialogs
