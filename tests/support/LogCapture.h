#pragma once

#include <QMutex>
#include <QStringList>

namespace orvane::test {

// Collects the program's log lines ("[Orvane] ...") while it lives, and apart from them every
// other message (Qt's own warnings), which still go on to the previous handler.
class LogCapture {
public:
    LogCapture()
    {
        QMutexLocker lock(&s_mutex);
        s_lines = s_others = {};
        s_previous = qInstallMessageHandler(handler);
    }
    ~LogCapture() { qInstallMessageHandler(s_previous); }

    QStringList lines() const { return copy(s_lines); }
    QStringList otherMessages() const { return copy(s_others); }

private:
    static QStringList copy(const QStringList &list)
    {
        const QMutexLocker lock(&s_mutex);
        return list;
    }
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        const bool ours = message.startsWith(QStringLiteral("[Orvane] "));
        QMutexLocker lock(&s_mutex);
        (ours ? s_lines : s_others) << message;
        if (!ours && s_previous) {
            s_previous(type, context, message);
        }
    }
    static inline QMutex s_mutex;
    static inline QStringList s_lines, s_others;
    static inline QtMessageHandler s_previous = nullptr;
};

} // namespace orvane::test
