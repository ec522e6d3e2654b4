#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

#include <optional>

namespace orvane::test {

// A world of its own for one test: HOME and every XDG folder point into a temporary folder
// and are restored afterwards, so nothing installed on the machine changes a result and the
// real user's files stay untouched. English (LANG=C.UTF-8) until the test sets its own.
class TestHome {
public:
    TestHome()
    {
        set("HOME", path());
        const std::pair<const char *, const char *> folders[] = {
            {"XDG_CONFIG_HOME", ".config"},    {"XDG_DATA_HOME", ".local/share"},
            {"XDG_CACHE_HOME", ".cache"},      {"XDG_DATA_DIRS", "system/share"},
            {"XDG_CONFIG_DIRS", "system/xdg"}, {"XDG_RUNTIME_DIR", "runtime"}};
        for (const auto &[name, folder] : folders) {
            QDir().mkpath(file(QLatin1String(folder)));
            set(name, file(QLatin1String(folder)));
        }
        QFile::setPermissions(file(QStringLiteral("runtime")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // English whatever the machine's language, for the programs a test starts too.
        set("LANG", QStringLiteral("C.UTF-8"));
        for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) {
            set(name, std::nullopt);
        }
    }
    ~TestHome()
    {
        for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it) {
            it.value() ? qputenv(it.key().constData(), *it.value())
                       : qunsetenv(it.key().constData());
        }
    }
    TestHome(const TestHome &) = delete;
    TestHome &operator=(const TestHome &) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString &relative) const { return m_dir.filePath(relative); }

    // Lets the system's file-type database in (and nothing else of the system's data), for
    // tests that need to know that a .png is an image.
    void useSystemFileTypes()
    {
        const QByteArray saved = m_saved.value("XDG_DATA_DIRS").value_or(QByteArray());
        const QString dirs = saved.isEmpty() ? QStringLiteral("/usr/local/share:/usr/share")
                                             : QString::fromLocal8Bit(saved);
        for (const QString &dir : dirs.split(u':', Qt::SkipEmptyParts)) {
            if (QFileInfo::exists(dir + QStringLiteral("/mime/mime.cache"))) {
                QFile::link(dir + QStringLiteral("/mime"),
                            file(QStringLiteral("system/share/mime")));
                return;
            }
        }
    }
    // Unset when `value` is none; the first value seen is the one restored.
    void set(const char *name, const std::optional<QString> &value)
    {
        if (!m_saved.contains(name)) {
            m_saved.insert(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                                 : std::nullopt);
        }
        value ? qputenv(name, value->toUtf8()) : qunsetenv(name);
    }

private:
    QTemporaryDir m_dir;
    QHash<QByteArray, std::optional<QByteArray>> m_saved;
};

} // namespace orvane::test
