#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <limits>
#include <memory>
#include <optional>

namespace orvane {

class AppState;
class FolderEventStream;
class CardPlatformServices;
class DetectionServices;

// Watches the screenshot folder, the custom folder and the desktop, and turns each new image
// file there into one detected screenshot: logged, copied when the user wants that, and handed
// to the card.
class ScreenshotWatcher : public QObject {
    Q_OBJECT
public:
    // Wall-clock seconds since the epoch.
    using Clock = std::function<double()>;
    // The picture, its size in points and the file's bytes it was decoded from.
    using Presenter = std::function<void(const QString &path, const QImage &image,
                                         const QSize &points, const QByteArray &encoded)>;
    // Where an auto-copied screenshot goes; the system clipboard unless a test says otherwise.
    using Clipboard = std::function<void(const QImage &image, const QByteArray &png)>;
    // Runs `work` after `delayMs` on the main thread, unless `context` is gone by then.
    using Scheduler =
        std::function<void(int delayMs, QObject *context, std::function<void()> work)>;

    // `card` is the system clipboard's only way in.
    ScreenshotWatcher(AppState &state, DetectionServices &detection, CardPlatformServices &card,
                      QObject *parent = nullptr);
    ~ScreenshotWatcher() override;

    // (Re)starts monitoring on the folders that apply now, and again at every restart the
    // settings ask for until stop(). Main thread.
    void start();
    // Stops the stream, as at quit; nothing else changes.
    void stop();
    // One batch of reported paths. Main thread.
    void handleNewFiles(const QStringList &paths);

    void setPresenter(Presenter presenter) { m_presenter = std::move(presenter); }
    // Told when a file that may become a card starts decoding, ahead of its inspection: the
    // presenter may get ready meanwhile.
    void setAnticipation(std::function<void()> anticipate) { m_anticipate = std::move(anticipate); }
    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setClipboard(Clipboard clipboard) { m_clipboard = std::move(clipboard); }
    void setScheduler(Scheduler scheduler) { m_scheduler = std::move(scheduler); }

    bool isMonitoring() const { return m_eventStream != nullptr; }
    // Waits until every decode handed to the worker has finished (its result is then queued).
    void waitForDecodes() { m_decoder.waitForDone(); }
    // Files with a decode prepared ahead of their inspection.
    int preparedCount() const { return int(m_prepared.size()); }

private:
    // A decode started as soon as a batch named the file, for the inspection to use if the
    // file is still the same version then.
    struct Prepared;

    void prepare(const QString &path);
    void dropPrepared(const QString &path);
    void releaseMemoryOnceQuiet();
    void inspectCandidateFile(const QString &path);
    void finishInspection(const QString &path, const QImage &image, const QSize &points,
                          const QByteArray &encoded);

    AppState &m_state;
    DetectionServices &m_detection;
    std::unique_ptr<FolderEventStream> m_eventStream;
    bool m_started = false;

    std::optional<QString> m_lastProcessedURL;
    double m_lastProcessedTimestamp = -std::numeric_limits<double>::infinity();
    // Files being decoded off the main thread, and those that were reported again meanwhile.
    QSet<QString> m_loading;
    QSet<QString> m_reportedWhileLoading;
    QHash<QString, std::shared_ptr<Prepared>> m_prepared;
    QThreadPool m_decoder;
    int m_decodesQueued = 0;
    quint64 m_decodeActivity = 0; // decodes prepared, dropped or finished

    Presenter m_presenter;
    std::function<void()> m_anticipate;
    Clock m_clock;
    Clipboard m_clipboard;
    Scheduler m_scheduler;
};

} // namespace orvane
