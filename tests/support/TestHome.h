#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <optional>

namespace orvane::test {

using namespace Qt::StringLiterals;

// HOME and every XDG folder in a temporary folder for one test, restored afterwards, so that
// nothing installed and no real user's file changes a result; English, for programs started too.
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
        QFile::setPermissions(file(u"runtime"_s),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        set("LANG", u"C.UTF-8"_s);
        for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) {
            set(name, std::nullopt);
        }
    }
    ~TestHome()
    {
        for (const auto &[name, value] : m_saved) {
            value ? qputenv(name.constData(), *value) : qunsetenv(name.constData());
        }
    }

    QString path() const { return m_dir.path(); }
    QString file(const QString &relative) const { return m_dir.filePath(relative); }

    // Lets the system's file-type database in (and nothing else of its data): a .png is an image.
    void useSystemFileTypes()
    {
        const QByteArray dirs =
            m_saved["XDG_DATA_DIRS"].value_or("") + ":/usr/local/share:/usr/share";
        for (const QString &dir : QString::fromLocal8Bit(dirs).split(u':', Qt::SkipEmptyParts)) {
            if (QFile::exists(dir + u"/mime/mime.cache"_s)) {
                QFile::link(dir + u"/mime"_s, file(u"system/share/mime"_s));
                return;
            }
        }
    }
    // Unset when `value` is none; the first value seen is the one restored.
    void set(const char *name, const std::optional<QString> &value)
    {
        m_saved.try_emplace(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                                  : std::nullopt);
        value ? qputenv(name, value->toUtf8()) : qunsetenv(name);
    }

private:
    QTemporaryDir m_dir;
    std::map<QByteArray, std::optional<QByteArray>> m_saved;
};

} // namespace orvane::test
