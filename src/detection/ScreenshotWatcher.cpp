#include "ScreenshotWatcher.h"
#include "ImageFormat.h"

#include "DetectionRules.h"
#include "ImageLoader.h"

#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "settings/AppState.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

#include <atomic>

namespace orvane {

namespace {
// Decodes started ahead of their inspection, and decodes under way, at most: one picture.
constexpr qsizetype maxPrepared = 1;
} // namespace

struct ScreenshotWatcher::Prepared {
    files::Version version; // of the file just before its decode was queued
    std::atomic<bool> cancelled{false};
    // Written and read on the decoder only, which takes one job at a time in order.
    bool decoded = false;
    QImage image;
    QSize points;
    QByteArray encoded;
};

ScreenshotWatcher::ScreenshotWatcher(AppState &state, DetectionServices &detection,
                                     CardPlatformServices &card, QObject *parent)
    : QObject(parent), m_state(state), m_detection(detection),
      m_clock([] { return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0; }),
      m_clipboard([&card](const QImage &image, const QByteArray &png) {
          card.copyImageToClipboard(image, png);
      }),
      m_scheduler([](int delayMs, QObject *context, std::function<void()> work) {
          QTimer::singleShot(delayMs, context, std::move(work));
      })
{
    m_decoder.setMaxThreadCount(1);
    m_decoder.setObjectName(QStringLiteral("Orvane decoder"));
    // Resumed, or the folder changed: monitoring starts afresh, unless it was never started or
    // has been stopped (at quit).
    connect(&m_state, &AppState::watcherRestartRequested, this, [this] {
        if (m_started) {
            start();
        }
    });
}

ScreenshotWatcher::~ScreenshotWatcher()
{
    m_decoder.waitForDone();
}

void ScreenshotWatcher::stop()
{
    m_started = false;
    m_eventStream.reset();
}

void ScreenshotWatcher::start()
{
    m_eventStream.reset();
    m_started = true;

    QStringList folders =
        detection::watchedSet(m_state.resolvedScreenshotDirectory(), m_state.customFolderPath(),
                              QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    // Where the desktop's capture tools save, whichever folder Orvane itself resolved: a folder
    // chosen here does not change where they put their files. Watched even before they exist.
    folders << m_state.screenshotToolFolders();
    folders.removeDuplicates();

    QPointer<ScreenshotWatcher> self(this);
    m_eventStream = m_detection.createFolderEventStream(folders, [self](const QStringList &paths) {
        // Never inside the stream's own callback: the batch waits for the next turn.
        QMetaObject::invokeMethod(
            self.data(),
            [self, paths] {
                if (self) {
                    self->handleNewFiles(paths);
                }
            },
            Qt::QueuedConnection);
    });
    if (!m_eventStream) {
        logLine(QStringLiteral("ERROR: Failed to create FSEventStream"));
        return;
    }
    // Temporary files and other names that can never be screenshots say nothing worth waiting
    // for: their events must not hold back the one that names the finished file.
    m_eventStream->setIgnoredNames([](const QString &name) {
        return detection::isExcludedName(name) || !detection::hasImageExtension(name);
    });
    const bool started = m_eventStream->start();
    logLine(QStringLiteral("FSEventStream started: %1, monitoring: %2")
                .arg(started ? QStringLiteral("YES") : QStringLiteral("NO"),
                     detection::printedSet(folders)));
}

void ScreenshotWatcher::handleNewFiles(const QStringList &paths)
{
    if (m_state.isPaused()) {
        return;
    }
    QStringList candidates;
    for (const QString &path : paths) {
        const QFileInfo item(path);
        if (!item.exists()) {
            continue;
        }
        if (item.isDir()) {
            for (const QString &entry : files::listFolder(path)) {
                if (detection::hasImageExtension(entry)) {
                    candidates << entry;
                }
            }
        } else if (detection::hasImageExtension(path)) {
            candidates << path;
        }
    }
    candidates.removeDuplicates();

    for (const QString &candidate : std::as_const(candidates)) {
        if (detection::isExcludedName(QFileInfo(candidate).fileName())) {
            continue;
        }
        prepare(candidate);
        m_scheduler(detection::inspectionDelayMs, this,
                    [this, candidate] { inspectCandidateFile(candidate); });
    }
}

// Decoding takes longer than the inspection delay for a large screenshot, so it starts as
// soon as the file looks new. Nothing is shown, logged or copied from here: the inspection
// still applies every rule, and takes this picture only if the file has not changed since.
void ScreenshotWatcher::prepare(const QString &path)
{
    if (m_loading.contains(path)) {
        return; // looked at again once the load under way has finished
    }
    const std::optional<files::Version> version = files::version(path);
    if (!version) {
        return;
    }
    if (m_clock() - double(version->modifiedNs) / 1e9 > detection::ageLimitSeconds) {
        return;
    }
    if (m_lastProcessedURL == path &&
        m_clock() - m_lastProcessedTimestamp < detection::repeatWindowSeconds) {
        return;
    }
    if (const auto existing = m_prepared.value(path); existing && existing->version == *version) {
        return; // another event for the same write
    }
    // A burst is decoded at inspection, one file at a time, as before: decoding all of it ahead
    // would hold every picture at once, and put the first card behind all the others' decodes.
    if (!m_prepared.contains(path) && m_prepared.size() + m_loading.size() >= maxPrepared) {
        return;
    }
    dropPrepared(path);
    auto prepared = std::make_shared<Prepared>();
    prepared->version = *version;
    m_prepared.insert(path, prepared);
    DetectionServices *detection = &m_detection;
    releaseMemoryOnceQuiet();
    m_decoder.start([prepared, detection, path] {
        if (prepared->cancelled) {
            return;
        }
        prepared->image =
            imageloader::load(path, *detection, &prepared->points, &prepared->encoded);
        prepared->decoded = true;
    });
    if (m_anticipate) {
        m_anticipate();
    }
}

void ScreenshotWatcher::dropPrepared(const QString &path)
{
    if (const std::shared_ptr<Prepared> prepared = m_prepared.take(path)) {
        prepared->cancelled = true;
        releaseMemoryOnceQuiet();
    }
}

void ScreenshotWatcher::releaseMemoryOnceQuiet()
{
    // Once pictures have stopped coming, the memory their decodes freed goes back to the
    // system, while their card shows. Not in the middle of a quick series of them: taking it
    // back costs the next picture tens of milliseconds (a fault for each page).
    QTimer::singleShot(750, this, [this, activity = ++m_decodeActivity] {
        if (m_decodesQueued == 0 && activity == m_decodeActivity) {
            files::releaseFreedMemory();
        }
    });
}

void ScreenshotWatcher::inspectCandidateFile(const QString &path)
{
    if (!QFileInfo::exists(path)) {
        dropPrepared(path);
        return;
    }
    const files::ModificationTime modified = files::modificationTime(path);
    if (!modified.msecsSinceEpoch) {
        dropPrepared(path);
        logLine(QStringLiteral("Error inspecting file: ") + modified.error);
        return;
    }
    const double age = m_clock() - double(*modified.msecsSinceEpoch) / 1000.0;
    if (age > detection::ageLimitSeconds) {
        dropPrepared(path);
        return;
    }
    if (m_lastProcessedURL == path &&
        m_clock() - m_lastProcessedTimestamp < detection::repeatWindowSeconds) {
        dropPrepared(path);
        return;
    }
    if (m_loading.contains(path)) {
        // Looked at again once the load under way has finished.
        dropPrepared(path);
        m_reportedWhileLoading.insert(path);
        return;
    }

    // Decoding a large screenshot takes a while: off the main thread, on a worker of our own
    // that takes one at a time in the order they came (Qt's shared pool is also what its own
    // image scaling waits on), so a burst costs one decode's memory and the newest ends last.
    m_loading.insert(path);
    ++m_decodesQueued;
    QPointer<ScreenshotWatcher> self(this);
    DetectionServices *detection = &m_detection;
    // Queued after the prepared decode, so that has finished by the time this runs.
    m_decoder.start([self, detection, path, prepared = m_prepared.take(path)] {
        QSize points;
        QImage image;
        QByteArray encoded;
        if (prepared && prepared->decoded && files::version(path) == prepared->version) {
            image = std::exchange(prepared->image, {});
            points = prepared->points;
            encoded = std::exchange(prepared->encoded, {});
        } else {
            if (prepared) {
                // Of an older version: gone before the new decode.
                prepared->image = {};
                prepared->encoded = {};
            }
            image = imageloader::load(path, *detection, &points, &encoded);
        }
        QMetaObject::invokeMethod(
            self.data(),
            [self, path, image, points, encoded] {
                if (self) {
                    self->finishInspection(path, image, points, encoded);
                }
            },
            Qt::QueuedConnection);
    });
}

void ScreenshotWatcher::finishInspection(const QString &path, const QImage &image,
                                         const QSize &points, const QByteArray &encoded)
{
    m_loading.remove(path);
    if (--m_decodesQueued == 0) {
        releaseMemoryOnceQuiet();
    }
    const bool reportedAgain = m_reportedWhileLoading.remove(path);
    if (image.isNull()) {
        // Likely still being written: a report that came in meanwhile gets its own look.
        if (reportedAgain) {
            inspectCandidateFile(path);
        }
        return;
    }

    m_lastProcessedURL = path;
    m_lastProcessedTimestamp = m_clock();
    // The name goes in as it is: substituted last, a "%2" in it would be taken for a number.
    logLine(QStringLiteral("✅ Screenshot detected: ") + QFileInfo(path).fileName() +
            QStringLiteral(" (%1x%2)").arg(points.width()).arg(points.height()));

    if (m_state.autoCopyOnCapture()) {
        m_clipboard(image, imageformat::pngBytes(encoded));
        m_state.playFeedbackSound(QStringLiteral("Tink"));
    }
    if (m_presenter) {
        m_presenter(path, image, points, encoded);
    }
}

} // namespace orvane
