#include "dialogs/Dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QWindow>

#include <algorithm>

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

// Lets through only the keys pressed while the dialog is up. The X server repeats a held key
// as a release and a press with the same time; Qt marks them as repeats only when the press
// has already reached it as the release is handled, which a busy machine does not promise, so
// the times are compared here too. A key held since before the dialog opened (the Return or
// Space that asked the question) thus gives nothing until its release, which is dropped too.
class HeldKeyGuard : public QObject {
public:
    // Watches the dialog's window, which gets every key event before the widget with the
    // focus does.
    explicit HeldKeyGuard(QDialog &dialog) : QObject(&dialog)
    {
        dialog.winId();
        dialog.windowHandle()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease) {
            return false;
        }
        const auto *key = static_cast<QKeyEvent *>(event);
        const quint32 code = key->nativeScanCode() ? key->nativeScanCode() : quint32(key->key());
        if (type == QEvent::KeyRelease) {
            m_lastRelease.insert(code, key->timestamp());
            return key->isAutoRepeat() || !m_pressed.remove(code);
        }
        const auto released = m_lastRelease.constFind(code);
        if (key->isAutoRepeat() ||
            (released != m_lastRelease.cend() && *released == key->timestamp())) {
            return true;
        }
        m_pressed.insert(code);
        return false;
    }

private:
    QSet<quint32> m_pressed;
    QHash<quint32, quint64> m_lastRelease;
};

// Centred over `over`: a dialog without a parent widget is otherwise centred on the screen.
void placeOver(QDialog &dialog, const QWindow &over)
{
    dialog.adjustSize();
    QRect frame(QPoint(), dialog.size());
    frame.moveCenter(over.frameGeometry().center());
    if (const QScreen *screen = over.screen()) {
        const QRect area = screen->availableGeometry();
        frame.moveLeft(std::clamp(frame.left(), area.left(), area.right() - frame.width()));
        frame.moveTop(std::clamp(frame.top(), area.top(), area.bottom() - frame.height()));
    }
    dialog.move(frame.topLeft());
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
    // Directory mode accepts the folder shown when nothing in it is selected.
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
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
    alert->setTextFormat(Qt::PlainText);
    // Destructive: the desktop places it apart from Cancel, and neither Return nor Escape
    // chooses it.
    const QString title =
        texts.programGoesToTrash
            ? translated(QT_TRANSLATE_NOOP("Dialogs", "Uninstall & Move to Trash"))
            : translated(QT_TRANSLATE_NOOP("Dialogs", "Uninstall"));
    QPushButton *uninstall =
        alert->addButton(u'&' + literalAmpersands(title), QMessageBox::DestructiveRole);
    QPushButton *cancel = alert->addButton(QMessageBox::Cancel);
    cancel->setText(literalAmpersands(translated(QT_TRANSLATE_NOOP("Dialogs", "Cancel"))));
    uninstall->setObjectName(QStringLiteral("uninstall"));
    cancel->setObjectName(QStringLiteral("cancel"));
    alert->setDefaultButton(cancel);
    alert->setEscapeButton(cancel);
    alert->setAccessibleName(texts.message);
    alert->setAccessibleDescription(texts.informative);
    return alert;
}

bool uninstallConfirmed(const QMessageBox &alert)
{
    QAbstractButton *clicked = alert.clickedButton();
    return clicked && alert.buttonRole(clicked) == QMessageBox::DestructiveRole;
}

void open(std::unique_ptr<QDialog> dialog, QWindow *over, std::function<void(int result)> done)
{
    QDialog *shown = dialog.release();
    new HeldKeyGuard(*shown);
    if (over) {
        // A dialog of Qt Widgets over a window of Qt Quick: modal to it through the window
        // system, since it can have no parent widget there.
        shown->windowHandle()->setTransientParent(over);
        shown->setWindowModality(Qt::WindowModal);
        // Qt Widgets makes a window-modal dialog without a parent widget application-modal;
        // with its window's transient parent, it can be modal to that window alone.
        shown->windowHandle()->setModality(Qt::WindowModal);
        placeOver(*shown, *over);
        // Gone with the window it asks over: an answer nobody gave is a "no".
        QObject::connect(over, &QObject::destroyed, shown, &QDialog::reject);
    } else {
        // Qt makes a window-modal dialog without a parent modal to the whole application:
        // over nothing it blocks nothing, so a card shown meanwhile still takes its clicks.
        shown->setWindowModality(Qt::NonModal);
    }
    QObject::connect(shown, &QDialog::finished, shown, [shown, done = std::move(done)](int result) {
        // Once: a second close (its window gone meanwhile) answers nothing.
        QObject::disconnect(shown, &QDialog::finished, nullptr, nullptr);
        shown->hide();
        shown->deleteLater();
        done(result);
    });
    shown->show();
    // Asked for by the user (a menu item, a button), it takes the keyboard.
    shown->raise();
    shown->activateWindow();
}

} // namespace orvane::dialogs
