#pragma once

#include <QList>
#include <QStringList>
#include <QTemporaryDir>

namespace orvane::test {

// Stand-ins for the macOS command-line tools (defaults, killall, launchctl, open, osascript),
// put first on PATH. Each records its arguments, exactly as received, and succeeds; a tool
// named in failing() exits with status 1 instead. `defaults read` prints readOutput().
class FakeTools {
public:
    FakeTools();
    ~FakeTools();
    FakeTools(const FakeTools &) = delete;
    FakeTools &operator=(const FakeTools &) = delete;

    // Every call so far: the tool's name followed by its arguments.
    QList<QStringList> calls() const;
    void setReadOutput(const QByteArray &output);
    void setFailing(const QStringList &tools);
    // Calls named by tool and first argument ("defaults write") take half a second.
    void setSlow(const QStringList &calls);
    QString binPath() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_savedPath;
};

} // namespace orvane::test
