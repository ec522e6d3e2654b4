#pragma once

#include <QList>
#include <QStringList>
#include <QTemporaryDir>

namespace orvane::test {

// Stand-ins for the macOS command-line tools (defaults, killall, launchctl, open, osascript),
// put first on PATH. Each records its arguments, exactly as received, and succeeds; a tool
// named in setFailing() exits with status 1 instead.
class FakeTools {
public:
    FakeTools();
    ~FakeTools();
    FakeTools(const FakeTools &) = delete;
    FakeTools &operator=(const FakeTools &) = delete;

    // Every call so far: the tool's name followed by its arguments.
    QList<QStringList> calls() const;
    void setFailing(const QStringList &tools) { writeList("failing", tools); }
    // Calls named by tool and first argument ("defaults write") take half a second.
    void setSlow(const QStringList &calls) { writeList("slow", calls); }

private:
    void writeList(const char *name, const QStringList &lines) const;
    QTemporaryDir m_dir;
    QByteArray m_savedPath;
};

} // namespace orvane::test
