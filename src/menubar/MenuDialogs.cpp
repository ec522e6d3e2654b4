#include "menubar/MenuDialogs.h"

#include "dialogs/Dialogs.h"
#include "menubar/MenuTexts.h"
#include "platform/Platform.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

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
    box->setTextFormat(Qt::PlainText);
    QPushButton *ok =
        box->addButton(dialogs::literalAmpersands(texts.okButton), QMessageBox::AcceptRole);
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
    box->setAccessibleName(texts.aboutTitle);
    box->setAccessibleDescription(texts.aboutText);
    return box;
}

std::unique_ptr<QMessageBox>
uninstallConfirmation(const MenuTexts &texts, const QString &programNote, bool programGoesToTrash)
{
    return dialogs::uninstallAlert(
        QMessageBox::Warning,
        {.title = texts.uninstallTitle,
         .message = texts.uninstallTitle,
         .informative = programNote.isEmpty()
                            ? texts.uninstallText
                            : texts.uninstallText + QStringLiteral("\n\n") + programNote,
         .programGoesToTrash = programGoesToTrash});
}

} // namespace menudialogs

MenuDialogs MenuDialogs::standard(const MenuTexts &texts)
{
    MenuDialogs asks;
    asks.chooseFolder = [texts](const QString &startFolder,
                                std::function<void(std::optional<QString>)> done) {
        std::unique_ptr<QFileDialog> dialog = menudialogs::folderDialog(texts, startFolder);
        const QFileDialog *asked = dialog.get();
        dialogs::open(std::move(dialog), nullptr, [asked, done = std::move(done)](int result) {
            done(dialogs::chosenFolder(*asked, result));
        });
    };
    asks.showAbout = [texts](std::function<void()> done) {
        dialogs::open(menudialogs::aboutBox(texts), nullptr,
                      [done = std::move(done)](int) { done(); });
    };
    asks.confirmUninstall = [texts](const ProgramRemovalPlan &plan,
                                    std::function<void(bool)> done) {
        std::unique_ptr<QMessageBox> box =
            menudialogs::uninstallConfirmation(texts, plan.note, plan.toTrash);
        const QMessageBox *asked = box.get();
        dialogs::open(std::move(box), nullptr, [asked, done = std::move(done)](int) {
            done(dialogs::uninstallConfirmed(*asked));
        });
    };
    return asks;
}

} // namespace orvane
