#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QTemporaryDir>

#include <optional>

namespace orvane::test {

// A world of its own for one test: HOME and every XDG folder point into a temporary folder
// and are restored afterwards, so nothing installed on the machine changes a result and the
// real user's files stay untouched. English (LANG=C.UTF-8) until the test sets its own.
class TestHome {
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome &) = delete;
    TestHome &operator=(const TestHome &) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString &relative) const { return m_dir.filePath(relative); }

    // Lets the system's file-type database in (and nothing else of the system's data), for
    // tests that need to know that a .png is an image.
    void useSystemFileTypes();

private:
    void save(const char *name);
    void set(const char *name, const QString &value);

    QTemporaryDir m_dir;
    QHash<QByteArray, std::optional<QByteArray>> m_saved;
};

} // namespace orvane::test
