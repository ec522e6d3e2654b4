#include "platform/linux/GioLibrary.h"

#include "platform/GettextCatalogue.h"
#include "platform/ScreenshotFolders.h"
#include "platform/linux/LinuxPlatform.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace orvane {

namespace {

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// XDG_DATA_DIRS, or its default.
QStringList dataDirs()
{
    QStringList dirs = qEnvironmentVariable("XDG_DATA_DIRS").split(u':', Qt::SkipEmptyParts);
    if (dirs.isEmpty()) {
        dirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    }
    return dirs;
}

bool fileContains(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    // In chunks: the system's file holds every installed schema. Each chunk starts with the
    // end of the one before, for a match across the seam.
    const qsizetype overlap = bytes.size() - 1;
    QByteArray window;
    while (true) {
        const QByteArray chunk = file.read(64 * 1024);
        if (chunk.isEmpty()) {
            return false;
        }
        window = window.right(overlap) + chunk;
        if (window.contains(bytes)) {
            return true;
        }
    }
}

// Whether a compiled schema file where GSettings looks could hold schema `id`: the compiler
// stores each id whole. Cheap, unlike loading GIO to ask, which costs memory in every run of
// a desktop without that schema. A match is only a maybe: GIO still decides.
bool schemaMayBeInstalled(const QByteArray &id)
{
    QStringList folders =
        qEnvironmentVariable("GSETTINGS_SCHEMA_DIR").split(u':', Qt::SkipEmptyParts);
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty()) {
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    }
    for (const QString &dir : QStringList{dataHome} + dataDirs()) {
        folders << dir + QStringLiteral("/glib-2.0/schemas");
    }
    for (const QString &folder : std::as_const(folders)) {
        if (fileContains(folder + QStringLiteral("/gschemas.compiled"), id)) {
            return true;
        }
    }
    return false;
}

// gnome-screenshot's folder, asked of GSettings only once its schema is known to be
// installed: GSettings ends the program when asked for a schema or key it does not have.
QString gnomeScreenshotSetting()
{
    const QByteArray id = QByteArrayLiteral("org.gnome.gnome-screenshot");
    if (!schemaMayBeInstalled(id)) {
        return {};
    }
    const gio::Functions *gio = gio::functions();
    if (!gio) {
        return {};
    }
    GSettingsSchemaSource *source = gio->schemaSourceGetDefault();
    if (!source) {
        return {};
    }
    GSettingsSchema *schema = gio->schemaSourceLookup(source, id.constData(), TRUE);
    if (!schema) {
        return {};
    }
    QString value;
    const char *key = "auto-save-directory";
    if (gio->schemaHasKey(schema, key) && gio->schemaGetPath(schema)) {
        GSettings *settings = gio->settingsNewFull(schema, nullptr, nullptr);
        GVariant *variant = gio->settingsGetValue(settings, key);
        if (g_variant_is_of_type(variant, G_VARIANT_TYPE_STRING)) {
            value = QString::fromUtf8(g_variant_get_string(variant, nullptr));
        }
        g_variant_unref(variant);
        gio->objectUnref(settings);
    }
    gio->schemaUnref(schema);
    return value;
}

// GNOME Shell names its folder in the user's language ("Bildschirmfotos" in German), from
// its own catalogue; without one the folder keeps its English name.
QString screenshotsFolderName()
{
    const QStringList names =
        gettext::catalogueNames(qEnvironmentVariable("LANGUAGE"), qEnvironmentVariable("LC_ALL"),
                                qEnvironmentVariable("LC_MESSAGES"), qEnvironmentVariable("LANG"));
    const QStringList dirs = dataDirs();
    for (const QString &name : names) {
        for (const QString &dir : dirs) {
            QFile catalogue(dir + QStringLiteral("/locale/") + name +
                            QStringLiteral("/LC_MESSAGES/gnome-shell.mo"));
            if (!catalogue.open(QIODevice::ReadOnly)) {
                continue;
            }
            if (const auto translated = gettext::translate(catalogue.readAll(), "Screenshots")) {
                return *translated;
            }
        }
    }
    return QStringLiteral("Screenshots");
}

screenshotfolders::Folders toolFolders()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    screenshotfolders::ToolSettings settings;
    settings.home = QDir::homePath();
    settings.pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    settings.screenshotsName = screenshotsFolderName();
    settings.userDirs = readText(config + QStringLiteral("/user-dirs.dirs"));
    settings.gnomeScreenshot = gnomeScreenshotSetting();
    settings.spectacle = readText(config + QStringLiteral("/spectaclerc"));
    settings.xfceScreenshooter = readText(config + QStringLiteral("/xfce4/xfce4-screenshooter"));
    settings.flameshot = readText(config + QStringLiteral("/flameshot/flameshot.ini"));
    return screenshotfolders::resolve(settings);
}

} // namespace

std::optional<QString> LinuxDetectionServices::readSystemScreenshotLocation()
{
    return toolFolders().chosen();
}

QStringList LinuxDetectionServices::screenshotToolFolders()
{
    return toolFolders().all();
}

} // namespace orvane
