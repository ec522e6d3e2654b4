#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace orvane::test {

TestHome::TestHome()
{
    set("HOME", m_dir.path());
    set("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral(".config")));
    set("XDG_DATA_HOME", m_dir.filePath(QStringLiteral(".local/share")));
    set("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral(".cache")));
    const QString runtime = m_dir.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    set("XDG_RUNTIME_DIR", runtime);
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

void TestHome::set(const char *name, const QString &value)
{
    if (!m_saved.contains(name)) {
        m_saved.insert(name, qEnvironmentVariableIsSet(name)
                                 ? std::optional<QByteArray>(qgetenv(name))
                                 : std::nullopt);
    }
    qputenv(name, value.toUtf8());
}

} // namespace orvane::test
