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
        s_lines.clear();
        s_others.clear();
        s_previous = qInstallMessageHandler(handler);
    }
    ~LogCapture() { qInstallMessageHandler(s_previous); }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const { return locked(s_lines); }
    QStringList otherMessages() const { return locked(s_others); }

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        const bool ours = message.startsWith(QStringLiteral("[Orvane] "));
        {
            QMutexLocker lock(&s_mutex);
            (ours ? s_lines : s_others) << message;
        }
        if (!ours && s_previous) {
            s_previous(type, context, message);
        }
    }
    static QStringList locked(const QStringList &list)
    {
        QMutexLocker lock(&s_mutex);
        return list;
    }
    static inline QMutex s_mutex;
    static inline QStringList s_lines, s_others;
    static inline QtMessageHandler s_previous = nullptr;
};

} // namespace orvane::test
