#pragma once

#include <QDir>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

namespace orvane::test {

// Stand-ins for the macOS command-line tools (defaults, killall, launchctl, open, osascript),
// put first on PATH. Each records its arguments, exactly as received, and succeeds; a tool
// named in setFailing() exits with status 1 instead.
class FakeTools {
public:
    FakeTools()
    {
        // Arguments are written NUL-separated and each call ends with an ASCII record
        // separator, so that blanks, quotes and line feeds inside an argument survive.
        const QByteArray script = QByteArrayLiteral(R"(#!/bin/sh
dir=$(dirname "$0")/..
name=$(basename "$0")
if grep -qxF "$name $1" "$dir/slow" 2>/dev/null; then sleep 0.5; fi
{ printf '%s\0' "$name"; for a in "$@"; do printf '%s\0' "$a"; done; printf '\036'; } >> "$dir/calls"
if grep -qx "$name" "$dir/failing" 2>/dev/null; then exit 1; fi
exit 0
)");
        QDir(m_dir.path()).mkpath(QStringLiteral("bin"));
        for (const char *tool : {"defaults", "killall", "launchctl", "open", "osascript"}) {
            QFile file(m_dir.filePath(QStringLiteral("bin/") + QLatin1String(tool)));
            file.open(QIODevice::WriteOnly);
            file.write(script);
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", m_dir.filePath(QStringLiteral("bin")).toUtf8() + ':' + m_savedPath);
    }
    ~FakeTools() { qputenv("PATH", m_savedPath); }
    FakeTools(const FakeTools &) = delete;
    FakeTools &operator=(const FakeTools &) = delete;

    // Every call so far: the tool's name followed by its arguments.
    QList<QStringList> calls() const
    {
        QFile file(m_dir.filePath(QStringLiteral("calls")));
        QList<QStringList> result;
        for (const QByteArray &record :
             file.open(QIODevice::ReadOnly) ? file.readAll().split('\036') : QList<QByteArray>()) {
            QStringList call = QString::fromUtf8(record).split(QChar(0));
            call.removeLast(); // after the last NUL
            if (!call.isEmpty()) {
                result << call;
            }
        }
        return result;
    }
    void setFailing(const QStringList &tools) const { writeList("failing", tools); }
    // Calls named by tool and first argument ("defaults write") take half a second.
    void setSlow(const QStringList &calls) const { writeList("slow", calls); }

private:
    void writeList(const char *name, const QStringList &lines) const
    {
        QFile file(m_dir.filePath(QLatin1String(name)));
        file.open(QIODevice::WriteOnly);
        file.write(lines.join(u'\n').toUtf8() + '\n');
    }
    QTemporaryDir m_dir;
    QByteArray m_savedPath = qgetenv("PATH");
};

} // namespace orvane::test
