#include "menubar/MenuDialogs.h"

#include "dialogs/Dialogs.h"
#include "menubar/MenuTexts.h"

namespace orvane {

namespace menudialogs {

FolderRequest folderDialog(const MenuTexts &texts, const QString &startFolder)
{
    return dialogs::folderChooser(texts.folderMessage, startFolder);
}

Alert aboutBox(const MenuTexts &texts)
{
    return {.icon = Alert::Icon::Information,
            .title = texts.aboutTitle,
            .message = texts.aboutTitle,
            .informative = texts.aboutText,
            .buttons = {texts.okButton},
            .defaultButton = 0,
            .cancelButton = 0};
}

Alert uninstallConfirmation(const MenuTexts &texts, const QString &programNote)
{
    return dialogs::uninstallAlert(
        Alert::Icon::Warning,
        {.title = texts.uninstallTitle,
         .message = texts.uninstallTitle,
         .informative = programNote.isEmpty()
                            ? texts.uninstallText
                            : texts.uninstallText + QStringLiteral("\n\n") + programNote});
}

} // namespace menudialogs

MenuDialogs MenuDialogs::standard(const MenuTexts &texts, std::function<QString()> programNote,
                                  Asker asker)
{
    MenuDialogs asks;
    asks.chooseFolder = [texts, asker](const QString &startFolder,
                                       std::function<void(std::optional<QString>)> done) {
        asker.chooseFolder(menudialogs::folderDialog(texts, startFolder), std::move(done));
    };
    asks.showAbout = [texts, asker](std::function<void()> done) {
        asker.ask(menudialogs::aboutBox(texts), [done = std::move(done)](int) { done(); });
    };
    asks.confirmUninstall = [texts, asker,
                             programNote = std::move(programNote)](std::function<void(bool)> done) {
        asker.ask(
            menudialogs::uninstallConfirmation(texts, programNote ? programNote() : QString()),
            [done = std::move(done)](int button) { done(dialogs::uninstallConfirmed(button)); });
    };
    return asks;
}

} // namespace orvane
