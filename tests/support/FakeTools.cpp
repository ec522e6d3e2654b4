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
    qputenv("PATH", m_dir.filePath(QStringLiteral("bin")).toUtf8() + ':' + m_savedPath);
}

FakeTools::~FakeTools()
{
    qputenv("PATH", m_savedPath);
}

QList<QStringList> FakeTools::calls() const
{
    QFile file(m_dir.filePath(QStringLiteral("calls")));
    QList<QStringList> result;
    if (!file.open(QIODevice::ReadOnly)) {
        return result;
    }
    for (const QByteArray &record : file.readAll().split('\036')) {
        QList<QByteArray> parts = record.split('\0');
        parts.removeLast(); // after the last NUL
        QStringList call;
        for (const QByteArray &part : parts) {
            call << QString::fromUtf8(part);
        }
        if (!call.isEmpty()) {
            result << call;
        }
    }
    return result;
}

void FakeTools::writeList(const char *name, const QStringList &lines) const
{
    QFile file(m_dir.filePath(QLatin1String(name)));
    file.open(QIODevice::WriteOnly);
    file.write(lines.join(u'\n').toUtf8() + '\n');
}

} // namespace orvane::test
