#include "dialogs/DialogWindows.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace orvane::dialogwindows {

namespace {

const QUrl alertUrl(QStringLiteral("qrc:/qt/qml/Orvane/Dialogs/qml/AlertWindow.qml"));
const QUrl folderChooserUrl(QStringLiteral("qrc:/qt/qml/Orvane/Dialogs/qml/FolderChooser.qml"));

// One question's window with the engine that made it; gone once answered. An engine of its
// own: these windows are rare, and an idle Orvane keeps none.
class Session : public QObject {
    Q_OBJECT

public:
    explicit Session(QWindow *parent) : m_parent(parent)
    {
        if (parent) {
            // Gone with the window it asks over: an answer nobody gave is a "no".
            connect(parent, &QObject::destroyed, this, &Session::cancel);
        }
    }

    std::function<void(int)> answerButton;
    std::function<void(std::optional<QString>)> answerFolder;
    int cancelButton = 0;

    // The window, or null when it could not be made (the errors are logged).
    QQuickWindow *create(const QUrl &url, const QVariantMap &properties)
    {
        m_engine = std::make_unique<QQmlEngine>();
        QQmlComponent component(m_engine.get(), url);
        std::unique_ptr<QObject> object(component.createWithInitialProperties(properties));
        if (auto *window = qobject_cast<QQuickWindow *>(object.get())) {
            object.release();
            m_window.reset(window);
            QQmlEngine::setObjectOwnership(window, QQmlEngine::CppOwnership);
            return window;
        }
        for (const QQmlError &error : component.errors()) {
            qWarning("%s", qPrintable(error.toString()));
        }
        return nullptr;
    }

    // Modal to its parent only: without one it blocks nothing, so a card shown meanwhile
    // still takes its clicks.
    void makeModal(QWindow &window)
    {
        if (m_parent) {
            window.setTransientParent(m_parent);
            window.setModality(Qt::WindowModal);
        } else {
            window.setModality(Qt::NonModal);
        }
    }

    // Centred over its parent, else on the screen the pointer is on, where the user looks.
    void showActive(QWindow &window)
    {
        QRect over = m_parent ? m_parent->frameGeometry() : QRect();
        if (over.isEmpty()) {
            QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
            screen = screen ? screen : QGuiApplication::primaryScreen();
            over = screen ? screen->availableGeometry() : QRect();
        }
        if (!over.isEmpty()) {
            QRect frame(QPoint(), window.size());
            frame.moveCenter(over.center());
            window.setPosition(frame.topLeft());
        }
        window.show();
        window.requestActivate();
    }

    QWindow *parentWindow() const { return m_parent; }

public slots:
    void chooseButton(int button)
    {
        finish([&] { answerButton(button); });
    }
    void chooseFolder(const QUrl &folder)
    {
        finish([&] {
            answerFolder(folder.isLocalFile() ? std::optional(folder.toLocalFile()) : std::nullopt);
        });
    }
    void cancel()
    {
        finish([&] {
            if (answerButton) {
                answerButton(cancelButton);
            } else if (answerFolder) {
                answerFolder(std::nullopt);
            }
        });
    }

private:
    // Once; the window goes after the current event, which may be its own signal.
    void finish(const std::function<void()> &answer)
    {
        if (m_finished) {
            return;
        }
        m_finished = true;
        if (m_window) {
            m_window->hide();
        }
        answer();
        deleteLater();
    }

    QPointer<QWindow> m_parent;
    bool m_finished = false;
    // The window before the engine that made it.
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QQuickWindow> m_window;
};

// Popups open in `window`: Qt Quick's folder chooser is one, the platform's is none.
int popupsIn(QQuickWindow *window)
{
    int open = 0;
    if (window) {
        for (QQuickItem *layer : window->contentItem()->childItems()) {
            if (layer->inherits("QQuickOverlay")) {
                const QList<QQuickItem *> popups = layer->childItems();
                open += int(std::count_if(popups.begin(), popups.end(),
                                          [](QQuickItem *popup) { return popup->isVisible(); }));
            }
        }
    }
    return open;
}

// Qt Quick's chooser is a popup centred in its window; in a window of its own, it fills it.
void fillWithPopup(QQuickWindow &window)
{
    QObject *popup = nullptr;
    for (QQuickItem *layer : window.contentItem()->childItems()) {
        if (layer->inherits("QQuickOverlay")) {
            for (QQuickItem *item : layer->childItems()) {
                if (item->isVisible() && item->parent() &&
                    item->parent()->inherits("QQuickPopup")) {
                    popup = item->parent();
                }
            }
        }
    }
    if (!popup) {
        return;
    }
    if (auto *anchors = popup->property("anchors").value<QObject *>()) {
        anchors->setProperty("centerIn", QVariant::fromValue<QQuickItem *>(nullptr));
    }
    const auto fit = [popup, &window] {
        popup->setProperty("x", 0);
        popup->setProperty("y", 0);
        popup->setProperty("width", window.width());
        popup->setProperty("height", window.height());
    };
    fit();
    QObject::connect(&window, &QWindow::widthChanged, popup, fit);
    QObject::connect(&window, &QWindow::heightChanged, popup, fit);
}

// Answers later, as a window would: a caller may not expect its answer inside its question.
template <typename Answer> void answerLater(std::function<void(Answer)> done, Answer answer)
{
    QTimer::singleShot(0, qApp, [done = std::move(done), answer] { done(answer); });
}

} // namespace

void ask(const Alert &alert, QWindow *parent, std::function<void(int button)> done)
{
    auto *session = new Session(parent);
    QQuickWindow *window =
        session->create(alertUrl, {{QStringLiteral("title"), alert.title},
                                   {QStringLiteral("icon"), int(alert.icon)},
                                   {QStringLiteral("message"), alert.message},
                                   {QStringLiteral("informative"), alert.informative},
                                   {QStringLiteral("buttons"), alert.buttons},
                                   {QStringLiteral("defaultButton"), alert.defaultButton},
                                   {QStringLiteral("cancelButton"), alert.cancelButton}});
    if (!window) {
        delete session;
        answerLater(std::move(done), alert.cancelButton);
        return;
    }
    session->answerButton = std::move(done);
    session->cancelButton = alert.cancelButton;
    QObject::connect(window, SIGNAL(chosen(int)), session, SLOT(chooseButton(int)));
    session->makeModal(*window);
    session->showActive(*window);
}

void chooseFolder(const FolderRequest &request, QWindow *parent,
                  std::function<void(std::optional<QString>)> done)
{
    auto *session = new Session(parent);
    QQuickWindow *window = session->create(
        folderChooserUrl,
        {{QStringLiteral("title"), request.title},
         {QStringLiteral("startFolder"),
          request.startFolder.isEmpty() ? QUrl() : QUrl::fromLocalFile(request.startFolder)},
         {QStringLiteral("acceptLabel"), request.acceptLabel},
         {QStringLiteral("owner"), QVariant::fromValue(parent)}});
    if (!window) {
        delete session;
        answerLater(std::move(done), std::optional<QString>());
        return;
    }
    session->answerFolder = std::move(done);
    QObject::connect(window, SIGNAL(chosen(QUrl)), session, SLOT(chooseFolder(QUrl)));
    QObject::connect(window, SIGNAL(cancelled()), session, SLOT(cancel()));
    session->makeModal(*window);
    QQuickWindow *owner = qobject_cast<QQuickWindow *>(parent);
    const int drawnBefore = popupsIn(owner) + popupsIn(window);
    QMetaObject::invokeMethod(window, "choose");
    if (popupsIn(owner) + popupsIn(window) > drawnBefore) {
        if (owner) {
            QMetaObject::invokeMethod(window, "drawHere");
        }
        fillWithPopup(*window);
        session->showActive(*window);
    }
}

} // namespace orvane::dialogwindows

#include "DialogWindows.moc"
