#include "menubar/MenuDialogs.h"

#include "menubar/MenuTexts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace orvane {

namespace menudialogs {

namespace {

// Button texts mark their mnemonic with "&"; ours are meant literally.
QString literalButtonText(const QString &text)
{
    QString literal = text;
    return literal.replace(u'&', QStringLiteral("&&"));
}

} // namespace

std::unique_ptr<QFileDialog> folderDialog(const MenuTexts &texts, const QString &startFolder)
{
    auto dialog = std::make_unique<QFileDialog>();
    dialog->setDirectory(startFolder);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    dialog->setLabelText(QFileDialog::Accept, texts.folderPrompt);
    // File dialogs have no message line of their own; the title is where it is read.
    dialog->setWindowTitle(texts.folderMessage);
    dialog->setAccessibleName(texts.folderMessage);
    return dialog;
}

std::unique_ptr<QMessageBox> aboutBox(const MenuTexts &texts)
{
    auto box = std::make_unique<QMessageBox>();
    box->setIcon(QMessageBox::Information);
    box->setWindowTitle(texts.aboutTitle);
    box->setText(texts.aboutTitle);
    box->setInformativeText(texts.aboutText);
    box->setDefaultButton(
        box->addButton(literalButtonText(texts.okButton), QMessageBox::AcceptRole));
    box->setAccessibleName(texts.aboutTitle);
    return box;
}

std::unique_ptr<QMessageBox> uninstallConfirmation(const MenuTexts &texts,
                                                   const QString &programNote)
{
    auto box = std::make_unique<QMessageBox>();
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(texts.uninstallTitle);
    box->setText(texts.uninstallTitle);
    box->setInformativeText(programNote.isEmpty()
                                ? texts.uninstallText
                                : texts.uninstallText + QStringLiteral("\n\n") + programNote);
    // One role for both keeps them in this order on every desktop; Escape still cancels.
    QPushButton *uninstall =
        box->addButton(literalButtonText(texts.uninstallButton), QMessageBox::ActionRole);
    QPushButton *cancel =
        box->addButton(literalButtonText(texts.cancelButton), QMessageBox::ActionRole);
    uninstall->setObjectName(QStringLiteral("uninstall"));
    cancel->setObjectName(QStringLiteral("cancel"));
    box->setDefaultButton(uninstall);
    box->setEscapeButton(cancel);
    box->setAccessibleName(texts.uninstallTitle);
    return box;
}

std::optional<QString> chosenFolder(const QFileDialog &dialog, int result)
{
    const QStringList files = dialog.selectedFiles();
    if (result != QDialog::Accepted || files.isEmpty() || files.first().isEmpty()) {
        return std::nullopt;
    }
    return files.first();
}

bool uninstallConfirmed(const QMessageBox &box)
{
    const QAbstractButton *clicked = box.clickedButton();
    return clicked && clicked->objectName() == QStringLiteral("uninstall");
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
    MenuDialogs dialogs;
    dialogs.chooseFolder = [texts](const QString &startFolder) {
        const auto dialog = menudialogs::folderDialog(texts, startFolder);
        const int result = runUnblocking(*dialog);
        return menudialogs::chosenFolder(*dialog, result);
    };
    dialogs.showAbout = [texts] { runUnblocking(*menudialogs::aboutBox(texts)); };
    dialogs.confirmUninstall = [texts, programNote = std::move(programNote)] {
        const auto box =
            menudialogs::uninstallConfirmation(texts, programNote ? programNote() : QString());
        runUnblocking(*box);
        return menudialogs::uninstallConfirmed(*box);
    };
    return dialogs;
}

} // namespace orvane
