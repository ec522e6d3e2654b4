#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QTemporaryDir>

#include <optional>

namespace orvane::test {

// A world of its own for one test: HOME and every XDG folder (the user's data, configuration,
// cache and runtime folders, and the system's data and configuration folders) point into a
// temporary folder and are restored afterwards. Nothing the machine has installed
// (applications, icon themes, autostart entries, user folders) can change a result, and
// nothing touches the real user's files. The language is English (LANG=C.UTF-8, no LANGUAGE,
// LC_ALL or LC_MESSAGES) until the test sets its own.
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
