#include "LazyUserInterface.h"

#include "platform/Log.h"

#include <QThread>

namespace orvane {

LazyUserInterface::LazyUserInterface(UserInterfaceLoader loader, UserInterfaceContext context,
                                     QObject *parent)
    : QObject(parent), m_loader(std::move(loader)), m_context(std::move(context))
{}

LazyUserInterface::~LazyUserInterface()
{
    if (m_loading) {
        m_loading->wait();
        delete m_loading;
    }
    // The windows go before the objects the module was given.
    std::unique_ptr<UserInterface> ui;
    {
        const QMutexLocker lock(&m_mutex);
        ui = std::move(m_ui);
    }
}

UserInterface *LazyUserInterface::loaded() const
{
    const QMutexLocker lock(&m_mutex);
    return m_ui.get();
}

void LazyUserInterface::showHUD(const QString &filePath, const QImage &image, const QSize &points,
                                const QByteArray &encoded)
{
    card([filePath, image, points, encoded](UserInterface &ui) {
        ui.showHUD(filePath, image, points, encoded);
    });
}

void LazyUserInterface::simulateCapture()
{
    card([](UserInterface &ui) { ui.simulateCapture(); });
}

void LazyUserInterface::dispatch(const Request &ready,
                                 const std::function<void(const QString &)> &failed,
                                 const std::function<void()> &keep)
{
    QMutexLocker lock(&m_mutex);
    switch (m_stage) {
    case Stage::Ready: {
        UserInterface *ui = m_ui.get();
        lock.unlock();
        ready(*ui);
        return;
    }
    case Stage::Failed: {
        const QString error = m_error;
        lock.unlock();
        if (failed) {
            failed(error);
        }
        return;
    }
    case Stage::Idle:
    case Stage::Loading:
        keep();
        break;
    }
    lock.unlock();
    load();
}

void LazyUserInterface::card(Request request)
{
    // A card that cannot be shown is said once in the log, by the loader.
    dispatch(request, {}, [&] { m_pendingCard = std::move(request); });
}

void LazyUserInterface::showPreferences()
{
    dispatch([](UserInterface &ui) { ui.showPreferences(); },
             [this](const QString &error) { emit preferencesUnavailable(error); },
             [this] { m_pendingPreferences = true; });
}

void LazyUserInterface::whenLoaded(std::function<void(UserInterface &)> request,
                                   std::function<void(const QString &error)> failed)
{
    dispatch(request, failed, [&] {
        m_pendingRequests.append({std::move(request), std::move(failed)});
    });
}

void LazyUserInterface::load()
{
    if (QThread::currentThread() == thread()) {
        startLoading();
    } else {
        QMetaObject::invokeMethod(this, &LazyUserInterface::startLoading, Qt::QueuedConnection);
    }
}

void LazyUserInterface::startLoading()
{
    {
        const QMutexLocker lock(&m_mutex);
        if (m_stage != Stage::Idle) {
            return;
        }
        m_stage = Stage::Loading;
    }
    m_loading = QThread::create([this] { m_prepared = m_loader.prepare(); });
    connect(m_loading, &QThread::finished, this, &LazyUserInterface::finishLoading);
    m_loading->start();
}

void LazyUserInterface::finishLoading()
{
    m_loading->wait();
    delete std::exchange(m_loading, nullptr);
    continueLoading();
}

void LazyUserInterface::continueLoading()
{
    if (m_prepared.isEmpty() && m_loader.loadNext && m_loader.loadNext()) {
        QMetaObject::invokeMethod(this, &LazyUserInterface::continueLoading, Qt::QueuedConnection);
        return;
    }
    std::unique_ptr<UserInterface> ui;
    QString error = m_prepared;
    const UserInterfaceFactory factory = error.isEmpty() ? m_loader.load() : UserInterfaceFactory{};
    if (error.isEmpty()) {
        error = factory.error;
    }
    if (factory.create) {
        ui.reset(factory.create(m_context));
        if (!ui) {
            error = QStringLiteral("the module made nothing");
        }
    }
    if (!ui) {
        logLine(QStringLiteral("The card and preferences could not be loaded: ") + error);
    }

    Request pendingCard;
    bool pendingPreferences = false;
    QList<std::pair<Request, std::function<void(const QString &)>>> pendingRequests;
    {
        const QMutexLocker lock(&m_mutex);
        m_stage = ui ? Stage::Ready : Stage::Failed;
        m_ui = std::move(ui);
        m_error = error;
        pendingCard = std::exchange(m_pendingCard, {});
        pendingPreferences = std::exchange(m_pendingPreferences, false);
        pendingRequests = std::exchange(m_pendingRequests, {});
    }
    if (UserInterface *ready = loaded()) {
        if (pendingCard) {
            pendingCard(*ready);
        }
        if (pendingPreferences) {
            ready->showPreferences();
        }
        for (const auto &[request, failed] : std::as_const(pendingRequests)) {
            request(*ready);
        }
    } else {
        if (pendingPreferences) {
            emit preferencesUnavailable(error);
        }
        for (const auto &[request, failed] : std::as_const(pendingRequests)) {
            if (failed) {
                failed(error);
            }
        }
    }
    emit settled();
}

} // namespace orvane
