#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace orvane::test {

TestHome::TestHome()
{
    set("HOME", m_dir.path());
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
        save(name);
        qunsetenv(name);
    }
}

TestHome::~TestHome()
{
    for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it) {
        if (it.value()) {
            qputenv(it.key().constData(), *it.value());
        } else {
            qunsetenv(it.key().constData());
        }
    }
}

void TestHome::useSystemFileTypes()
{
    const std::optional<QByteArray> saved = m_saved.value("XDG_DATA_DIRS");
    const QString dirs = saved && !saved->isEmpty() ? QString::fromLocal8Bit(*saved)
                                                    : QStringLiteral("/usr/local/share:/usr/share");
    for (const QString &dir : dirs.split(u':', Qt::SkipEmptyParts)) {
        if (QFileInfo::exists(dir + QStringLiteral("/mime/mime.cache"))) {
            QFile::link(dir + QStringLiteral("/mime"), file(QStringLiteral("system/share/mime")));
            return;
        }
    }
}

void TestHome::save(const char *name)
{
    if (!m_saved.contains(name)) {
        m_saved.insert(name, qEnvironmentVariableIsSet(name)
                                 ? std::optional<QByteArray>(qgetenv(name))
                                 : std::nullopt);
    }
}

void TestHome::set(const char *name, const QString &value)
{
    save(name);
    qputenv(name, value.toUtf8());
}

} // namespace orvane::test
