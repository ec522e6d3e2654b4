#pragma once

#include "ui/UserInterface.h"

#include <QImage>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QThread;

namespace orvane {

// Where the module's UserInterface comes from, or why it could not be had.
struct UserInterfaceFactory {
    CreateUserInterface create = nullptr;
    QString error;
};
// Finds the factory in two steps.
struct UserInterfaceLoader {
    // On a worker: finds the module and checks it without running any of its code, and reads
    // it from the disk; the reason it cannot be used, or nothing.
    std::function<QString()> prepare;
    // On the main thread, once prepared, called until it returns false: loads one of the
    // libraries the module needs, so that the main thread answers between them rather than
    // waiting for all of Qt Quick at once. Optional.
    std::function<bool()> loadNext;
    // On the main thread, once prepared: loads the module's code. Qt Quick's start-up code
    // runs here and changes Qt's global lists, which no other thread may do.
    std::function<UserInterfaceFactory()> load;
};

// The loader of this build: the module at `path` (Linux), or the code linked in (macOS).
UserInterfaceLoader userInterfaceLoader(const QString &path);
// The module beside the executable (the build tree), else in the library folder it is
// installed to. ORVANE_UI_MODULE, when set, names another (for tests).
QString userInterfaceModulePath();

// The card and the preferences, loaded on first use: Orvane waits without Qt Quick. The first
// request has the module prepared off the main thread; then it is loaded and its objects made
// on the main thread, and given what was asked meanwhile (of the cards, only the newest).
// When the module cannot be loaded, that is logged once; cards are dropped and every request
// for the preferences reports preferencesUnavailable, while the rest of Orvane keeps working.
class LazyUserInterface : public QObject {
    Q_OBJECT
public:
    LazyUserInterface(UserInterfaceLoader loader, UserInterfaceContext context,
                      QObject *parent = nullptr);
    ~LazyUserInterface() override;

    // Callable from any thread.
    void showHUD(const QString &filePath, const QImage &image, const QSize &points,
                 const QByteArray &encoded);
    void simulateCapture();
    void showPreferences();
    // Starts loading, with nothing asked yet: a card is probably on its way.
    void load();
    // Runs `request` with the module's objects, once loaded (at once when they are); or
    // `failed` with the reason when they cannot be. Main thread only.
    void whenLoaded(std::function<void(UserInterface &)> request,
                    std::function<void(const QString &error)> failed = {});

    // The module's objects, once made; null before, and for good when loading failed.
    UserInterface *loaded() const;

signals:
    // The preferences were asked for and cannot be shown.
    void preferencesUnavailable(const QString &error);
    // The module has been loaded or has failed to; loaded() tells which.
    void settled();

private:
    enum class Stage { Idle, Loading, Ready, Failed };
    using Request = std::function<void(UserInterface &)>;

    // Queues the card `request` (the newest only) or runs it at once when ready.
    void card(Request request);
    // Runs `ready` at once when loaded, `failed` with the reason when loading failed; else
    // `keep` puts the request aside (under the lock) and loading starts.
    void dispatch(const Request &ready, const std::function<void(const QString &)> &failed,
                  const std::function<void()> &keep);
    void startLoading();
    void finishLoading();
    void continueLoading();

    UserInterfaceLoader m_loader;
    UserInterfaceContext m_context;
    QString m_prepared; // written by the preparing thread, read once it has ended
    QThread *m_loading = nullptr;

    mutable QMutex m_mutex;
    Stage m_stage = Stage::Idle;
    std::unique_ptr<UserInterface> m_ui;
    Request m_pendingCard;
    bool m_pendingPreferences = false;
    QList<std::pair<Request, std::function<void(const QString &)>>> m_pendingRequests;
    QString m_error;
};

} // namespace orvane
