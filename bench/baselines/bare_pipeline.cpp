// The least the detection-to-card path is: inotify on one folder, the same 0.1 s wait, the
// picture decoded and scaled off the main thread, then a new 300x385 window showing it. The
// QML engine is made with the first window, as Orvane makes its own.
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickImageProvider>
#include <QQuickView>
#include <QSocketNotifier>
#include <QThreadPool>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <mutex>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

class Pictures : public QQuickImageProvider {
public:
    Pictures() : QQuickImageProvider(Image) {}
    QImage requestImage(const QString &, QSize *size, const QSize &) override
    {
        std::lock_guard lock(mutex);
        *size = latest.size();
        return latest;
    }
    std::mutex mutex;
    QImage latest;
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_bare_pipeline FOLDER\n");
        return 2;
    }
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    inotify_add_watch(fd, argv[1], IN_MOVED_TO | IN_CLOSE_WRITE);
    const QString folder = QString::fromLocal8Bit(argv[1]);

    std::unique_ptr<QQmlEngine> engine;
    Pictures *pictures = nullptr;
    std::unique_ptr<QQuickView> view;
    int shown = 0;
    QThreadPool decoder;
    decoder.setMaxThreadCount(1);

    auto present = [&](const QImage &thumbnail) {
        if (!engine) {
            engine = std::make_unique<QQmlEngine>();
            pictures = new Pictures;
            engine->addImageProvider(QStringLiteral("pic"), pictures);
        }
        {
            std::lock_guard lock(pictures->mutex);
            pictures->latest = thumbnail;
        }
        view = std::make_unique<QQuickView>(engine.get(), nullptr);
        QQmlComponent component(engine.get());
        component.setData(
            "import QtQuick\nImage { width: 300; height: 385; source: \"image://pic/" +
                QByteArray::number(++shown) + "\" }",
            QUrl());
        view->setContent(QUrl(), &component, component.create());
        view->resize(300, 385);
        view->show();
    };

    QSocketNotifier notifier(fd, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        alignas(inotify_event) char buffer[4096];
        ssize_t length;
        while ((length = read(fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < length;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                at += ssize_t(sizeof(inotify_event) + event->len);
                const QString name = QString::fromLocal8Bit(event->name);
                if (event->len == 0 || name.startsWith(u'.') || !name.endsWith(u".png")) {
                    continue;
                }
                const QString path = folder + u'/' + name;
                QTimer::singleShot(100, &app, [&, path] {
                    decoder.start([&, path] {
                        const QImage thumbnail = QImage(path).scaled(300, 385, Qt::KeepAspectRatio,
                                                                     Qt::SmoothTransformation);
                        QMetaObject::invokeMethod(&app, [&, thumbnail] { present(thumbnail); });
                    });
                });
            }
        }
    });
    std::fprintf(stderr, "ready\n");
    return app.exec();
}
