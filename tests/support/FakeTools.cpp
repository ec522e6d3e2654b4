#include "FakeTools.h"

#include <QDir>
#include <QFile>

namespace orvane::test {

namespace {
// Arguments are written NUL-separated and each call ends with an ASCII record separator,
// so that blanks, quotes and line feeds inside an argument survive.
const QByteArray script = QByteArrayLiteral(R"(#!/bin/sh
dir=$(dirname "$0")/..
name=$(basename "$0")
if grep -qxF "$name $1" "$dir/slow" 2>/dev/null; then sleep 0.5; fi
{ printf '%s\0' "$name"; for a in "$@"; do printf '%s\0' "$a"; done; printf '\036'; } >> "$dir/calls"
if [ "$name" = defaults ] && [ "$1" = read ] && [ -f "$dir/read-output" ]; then cat "$dir/read-output"; fi
if grep -qx "$name" "$dir/failing" 2>/dev/null; then exit 1; fi
exit 0
)");
} // namespace

FakeTools::FakeTools()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("bin"));
    for (const char *tool : {"defaults", "killall", "launchctl", "open", "osascript"}) {
        QFile file(m_dir.filePath(QStringLiteral("bin/") + QLatin1String(tool)));
        file.open(QIODevice::WriteOnly);
        file.write(script);
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    m_savedPath = qgetenv("PATH");
    qputenv("PATH", binPath().toUtf8() + ':' + m_savedPath);
}

FakeTools::~FakeTools()
{
    qputenv("PATH", m_savedPath);
}

QString FakeTools::binPath() const
{
    return m_dir.filePath(QStringLiteral("bin"));
}

QList<QStringList> FakeTools::calls() const
{
    QFile file(m_dir.filePath(QStringLiteral("calls")));
    QList<QStringList> result;
    if (!file.open(QIODevice::ReadOnly)) {
        return result;
    }
    for (const QByteArray &record : file.readAll().split('\036')) {
        if (record.isEmpty()) {
            continue;
        }
        QStringList call;
        QList<QByteArray> parts = record.split('\0');
        parts.removeLast(); // after the last NUL
        for (const QByteArray &part : parts) {
            call << QString::fromUtf8(part);
        }
        result << call;
    }
    return result;
}

void FakeTools::setReadOutput(const QByteArray &output)
{
    QFile file(m_dir.filePath(QStringLiteral("read-output")));
    file.open(QIODevice::WriteOnly);
    file.write(output);
}

void FakeTools::setFailing(const QStringList &tools)
{
    QFile file(m_dir.filePath(QStringLiteral("failing")));
    file.open(QIODevice::WriteOnly);
    file.write(tools.join(u'\n').toUtf8() + '\n');
}

void FakeTools::setSlow(const QStringList &calls)
{
    QFile file(m_dir.filePath(QStringLiteral("slow")));
    file.open(QIODevice::WriteOnly);
    file.write(calls.join(u'\n').toUtf8() + '\n');
}

} // namespace orvane::test
