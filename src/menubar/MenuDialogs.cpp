#include "menubar/MenuDialogs.h"

#include "dialogs/Dialogs.h"
#include "menubar/MenuTexts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace orvane {

namespace menudialogs {

std::unique_ptr<QFileDialog> folderDialog(const MenuTexts &texts, const QString &startFolder)
{
    return dialogs::folderChooser(texts.folderMessage, startFolder);
}

std::unique_ptr<QMessageBox> aboutBox(const MenuTexts &texts)
{
    auto box = std::make_unique<QMessageBox>();
    box->setIcon(QMessageBox::Information);
    box->setWindowTitle(texts.aboutTitle);
    box->setText(texts.aboutTitle);
    box->setInformativeText(texts.aboutText);
    box->setDefaultButton(
        box->addButton(dialogs::literalAmpersands(texts.okButton), QMessageBox::AcceptRole));
    box->setAccessibleName(texts.aboutTitle);
    return box;
}

std::unique_ptr<QMessageBox> uninstallConfirmation(const MenuTexts &texts,
                                                   const QString &programNote)
{
    return dialogs::uninstallAlert(
        QMessageBox::Warning,
        {.title = texts.uninstallTitle,
         .message = texts.uninstallTitle,
         .informative = programNote.isEmpty()
                            ? texts.uninstallText
                            : texts.uninstallText + QStringLiteral("\n\n") + programNote});
}

} // namespace menudialogs

namespace {

// The menu waits for the answer, but nothing else does: a dialog without a parent window that
// is modal to its (absent) parent blocks no other window, so a card shown meanwhile still
// takes its clicks.
int runUnblocking(QDialog &dialog)
{
    dialog.setWindowModality(Qt::WindowModal);
    return dialog.exec();
}

} // namespace

MenuDialogs MenuDialogs::modal(const MenuTexts &texts, std::function<QString()> programNote)
{
    MenuDialogs asks;
    asks.chooseFolder = [texts](const QString &startFolder) {
        const auto dialog = menudialogs::folderDialog(texts, startFolder);
        const int result = runUnblocking(*dialog);
        return dialogs::chosenFolder(*dialog, result);
    };
    asks.showAbout = [texts] { runUnblocking(*menudialogs::aboutBox(texts)); };
    asks.confirmUninstall = [texts, programNote = std::move(programNote)] {
        const auto box =
            menudialogs::uninstallConfirmation(texts, programNote ? programNote() : QString());
        runUnblocking(*box);
        return dialogs::uninstallConfirmed(*box);
    };
    return asks;
}

} // namespace orvane
