#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace orvane::test {

// Stand-ins for the macOS tools (defaults, killall, launchctl, open, osascript), first on PATH:
// each records its arguments exactly and succeeds, or exits with 1 if named in setFailing().
class FakeTools {
public:
    FakeTools()
    {
        // NUL after each argument, a record separator after each call: any argument survives.
        const QByteArray script = QByteArrayLiteral(R"(#!/bin/sh
dir=$(dirname "$0")/.. name=$(basename "$0")
if grep -qxF "$name $1" "$dir/slow" 2>/dev/null; then sleep 0.5; fi
{ printf '%s\0' "$name"; for a in "$@"; do printf '%s\0' "$a"; done; printf '\036'; } >> "$dir/calls"
if grep -qx "$name" "$dir/failing" 2>/dev/null; then exit 1; fi
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

    // Every call so far: the tool's name followed by its arguments.
    QList<QStringList> calls() const
    {
        QFile file(m_dir.filePath(QStringLiteral("calls")));
        file.open(QIODevice::ReadOnly);
        QList<QStringList> result;
        for (const QByteArray &record : file.readAll().split('\036')) {
            if (!record.isEmpty()) { // the last one, after the last separator
                result << QString::fromUtf8(record.chopped(1)).split(QChar(0));
            }
        }
        return result;
    }
    void setFailing(const QStringList &tools) const { write("failing", tools); }
    // Calls named by tool and first argument ("defaults write") take half a second.
    void setSlow(const QStringList &calls) const { write("slow", calls); }

private:
    void write(const char *name, const QStringList &lines) const
    {
        QFile file(m_dir.filePath(QLatin1String(name)));
        file.open(QIODevice::WriteOnly);
        file.write(lines.join(u'\n').toUtf8() + '\n');
    }
    QTemporaryDir m_dir;
    QByteArray m_savedPath = qgetenv("PATH");
};

} // namespace orvane::test
