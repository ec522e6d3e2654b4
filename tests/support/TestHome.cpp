#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace orvane::test {

namespace {
const char *const systemData = "system/share";
const char *const systemConfig = "system/xdg";
} // namespace

TestHome::TestHome()
{
    set("HOME", m_dir.path());
    set("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral(".config")));
    set("XDG_DATA_HOME", m_dir.filePath(QStringLiteral(".local/share")));
    set("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral(".cache")));
    QDir().mkpath(m_dir.filePath(QLatin1String(systemData)));
    QDir().mkpath(m_dir.filePath(QLatin1String(systemConfig)));
    set("XDG_DATA_DIRS", m_dir.filePath(QLatin1String(systemData)));
    set("XDG_CONFIG_DIRS", m_dir.filePath(QLatin1String(systemConfig)));
    const QString runtime = m_dir.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    set("XDG_RUNTIME_DIR", runtime);
    // English whatever the machine's language, for the programs a test starts too.
    set("LANG", QStringLiteral("C.UTF-8"));
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) {
        unset(name);
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
            QFile::link(dir + QStringLiteral("/mime"),
                        m_dir.filePath(QLatin1String(systemData)) + QStringLiteral("/mime"));
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

void TestHome::unset(const char *name)
{
    save(name);
    qunsetenv(name);
}

} // namespace orvane::test
