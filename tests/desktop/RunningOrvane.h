#pragma once

#include <QDeadlineTimer>
#include <QProcess>

#include <csignal>

namespace orvane::test {

// The real program, started as a user would start it, with its log read from standard error.
struct RunningOrvane {
    explicit RunningOrvane(const QStringList &arguments, const QProcessEnvironment &env = {})
    {
        if (!env.isEmpty()) {
            process.setProcessEnvironment(env);
        }
        process.start(QStringLiteral(ORVANE_BINARY), arguments);
    }
    ~RunningOrvane()
    {
        process.kill();
        process.waitForFinished();
    }
    // How many lines of the log so far start with `prefix`.
    int count(const QString &prefix)
    {
        log += QString::fromUtf8(process.readAllStandardError());
        const QStringList lines = log.split(u'\n');
        return int(std::count_if(lines.begin(), lines.end(),
                                 [&](const QString &line) { return line.startsWith(prefix); }));
    }
    bool waitFor(const QString &prefix, int wanted = 1)
    {
        QDeadlineTimer deadline(15000);
        while (count(prefix) < wanted) {
            if (deadline.hasExpired() || process.state() == QProcess::NotRunning) {
                return false;
            }
            process.waitForReadyRead(100);
        }
        return true;
    }
    // Ends it with a signal, as the session does; true when it ended cleanly.
    bool end(int signal = SIGTERM)
    {
        ::kill(static_cast<pid_t>(process.processId()), signal);
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    QProcess process;
    QString log;
};

} // namespace orvane::test
