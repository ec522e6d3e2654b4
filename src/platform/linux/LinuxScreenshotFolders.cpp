// GLib first: its headers use names that Qt defines as keywords.
#include <gio/gio.h>

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

// gnome-screenshot's folder, asked of GSettings only once its schema is known to be
// installed: GSettings ends the program when asked for a schema or key it does not have.
QString gnomeScreenshotSetting()
{
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    if (!source) {
        return {};
    }
    GSettingsSchema *schema =
        g_settings_schema_source_lookup(source, "org.gnome.gnome-screenshot", TRUE);
    if (!schema) {
        return {};
    }
    QString value;
    const char *key = "auto-save-directory";
    if (g_settings_schema_has_key(schema, key) && g_settings_schema_get_path(schema)) {
        GSettings *settings = g_settings_new_full(schema, nullptr, nullptr);
        GVariant *variant = g_settings_get_value(settings, key);
        if (g_variant_is_of_type(variant, G_VARIANT_TYPE_STRING)) {
            value = QString::fromUtf8(g_variant_get_string(variant, nullptr));
        }
        g_variant_unref(variant);
        g_object_unref(settings);
    }
    g_settings_schema_unref(schema);
    return value;
}

// GNOME Shell names its folder in the user's language ("Bildschirmfotos" in German), from
// its own catalogue; without one the folder keeps its English name.
QString screenshotsFolderName()
{
    const QStringList names =
        gettext::catalogueNames(qEnvironmentVariable("LANGUAGE"), qEnvironmentVariable("LC_ALL"),
                                qEnvironmentVariable("LC_MESSAGES"), qEnvironmentVariable("LANG"));
    QStringList dataDirs = qEnvironmentVariable("XDG_DATA_DIRS").split(u':', Qt::SkipEmptyParts);
    if (dataDirs.isEmpty()) {
        dataDirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    }
    for (const QString &name : names) {
        for (const QString &dir : dataDirs) {
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
