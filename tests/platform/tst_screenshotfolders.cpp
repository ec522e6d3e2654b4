// GLib first: its headers use names that Qt defines as keywords.
#include <gio/gio.h>

#include "TestHome.h"

#include "platform/GettextCatalogue.h"
#include "platform/ScreenshotFolders.h"
#include "platform/linux/LinuxPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QUrl>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

const QString home = u"/home/ann"_s;
const QString pictures = u"/home/ann/Bilder"_s;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

// gnome-screenshot's setting, in the in-memory GSettings of this test.
void setGnomeScreenshotFolder(const char *value)
{
    GSettings *settings = g_settings_new("org.gnome.gnome-screenshot");
    g_settings_set_string(settings, "auto-save-directory", value);
    g_object_unref(settings);
}

} // namespace

class ScreenshotFoldersTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Before GSettings first looks: it reads its schemas and backend once per process.
        if (!qEnvironmentVariableIsSet("ORVANE_TEST_SCHEMAS")) {
            qputenv("GSETTINGS_SCHEMA_DIR", ORVANE_TEST_DATA "/schemas");
        }
        qputenv("GSETTINGS_BACKEND", "memory");
    }

    // GSettings ends the program when asked for a schema it does not have. A desktop with
    // other programs' schemas but not gnome-screenshot's (KDE, Xfce) still gets its folders.
    // Schemas are read once per process, so this runs in a process of its own.
    void withoutGnomeScreenshot()
    {
        if (qEnvironmentVariableIsSet("ORVANE_TEST_SCHEMAS")) {
            test::TestHome testHome;
            qputenv("GSETTINGS_SCHEMA_DIR", qgetenv("ORVANE_TEST_SCHEMAS"));
            LinuxPlatform platform({});
            QCOMPARE(platform.screenshotToolFolders(),
                     QStringList(
                         {testHome.file(u"Pictures/Screenshots"_s), testHome.file(u"Pictures"_s)}));
            return;
        }
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"ORVANE_TEST_SCHEMAS"_s, QStringLiteral(ORVANE_TEST_DATA "/other"));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {u"withoutGnomeScreenshot"_s});
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 child.readAll().constData());
    }

    // Each tool's own settings file, as the tool writes it, separated by "|": user-dirs.dirs,
    // gnome-screenshot, Spectacle, xfce4-screenshooter, Flameshot. "~" is the home folder.
    void order_data()
    {
        QTest::addColumn<QString>("files");
        QTest::addColumn<QStringList>("configured");
        QTest::addColumn<QString>("chosen"); // "-" for none
        const auto row = [](const char *name, const QString &files, const QStringList &configured,
                            const QString &chosen) {
            QTest::newRow(name) << files << configured << chosen;
        };
        const QString all =
            u"XDG_PICTURES_DIR=\"$HOME/Bilder\"\nXDG_SCREENSHOTS_DIR=\"$HOME/A\"\n"
            "|file:///home/ann/B|[ImageSave]\nimageSaveLocation=file:///home/ann/C/\n"
            "|app=gimp\nscreenshot_dir=file:///home/ann/D\n|[General]\nsavePath=/home/ann/E\n"_s;
        const QString flameshot = all.section(u'|', 4);
        const QStringList folders = {u"~/A"_s, u"~/B"_s, u"~/C"_s, u"~/D"_s, u"~/E"_s};
        row("each tool in its place", all, folders, u"~/A"_s);
        row("gnome-screenshot before Spectacle", all.section(u'|', 1).prepend(u'|'), folders.mid(1),
            u"~/B"_s);
        row("a folder named twice counts once", u"|/home/ann/C|"_s + all.section(u'|', 2, 2),
            {u"~/C"_s}, u"~/C"_s);
        row("user-dirs: absolute, escaped, last line wins",
            u"# comment\nXDG_SCREENSHOTS_DIR=\"/old\"\n  XDG_SCREENSHOTS_DIR = \"/srv/My \\\"Shots\\\"\"\n"_s,
            {u"/srv/My \"Shots\""_s}, u"/srv/My \"Shots\""_s);
        row("user-dirs: neither $HOME nor absolute",
            u"XDG_SCREENSHOTS_DIR=\"Shots\"\nXDG_SCREENSHOTS_DIRX=\"/x\"\n"_s, {}, u"-"_s);
        row("gnome-screenshot: escaped URI", u"|file:///home/ann/My%20Shots/"_s, {u"~/My Shots"_s},
            u"~/My Shots"_s);
        row("gnome-screenshot: plain path with a tilde", u"|~/Shots"_s, {u"~/Shots"_s},
            u"~/Shots"_s);
        row("Plasma 5 Spectacle",
            u"||[General]\nimageSaveLocation=file:///home/ann/Plasma5\n[ImageSave]\nother=1\n"_s,
            {u"~/Plasma5"_s}, u"~/Plasma5"_s);
        row("older Spectacle, $HOME expanded", u"||[Save]\ndefaultSaveLocation[$e]=$HOME/Old\n"_s,
            {u"~/Old"_s}, u"~/Old"_s);
        row("Spectacle: key of another group, another language",
            u"||[GuiConfig]\nimageSaveLocation=/a\n[ImageSave]\nimageSaveLocation[de]=/b\n"_s, {},
            u"-"_s);
        row("remote folder passed over",
            u"|smb://server/shots|[ImageSave]\nimageSaveLocation=shots\n|screenshot_dir=file://server/shots\n|"_s +
                flameshot,
            {u"~/E"_s}, u"~/E"_s);
        row("Flameshot: quoted, escaped, other groups",
            u"||||savePath=/top\n[Shortcuts]\nsavePath=/no\n[General]\nsavePath=\"/srv/a, \\x00e9\"\n"_s,
            {u"/srv/a, é"_s}, u"/srv/a, é"_s);
        // xfce4-screenshooter writes its default into its file; that is no choice of the user.
        row("a tool's default is no choice",
            u"|||screenshot_dir=file:///home/ann/Bilder\n|"_s + flameshot,
            {u"~/Bilder"_s, u"~/E"_s}, u"~/E"_s);
    }
    void order()
    {
        QFETCH(QString, files);
        QFETCH(QStringList, configured);
        QFETCH(QString, chosen);
        const auto expand = [](QString path) { return path.replace(u"~"_s, home); };
        for (QString &folder : configured) {
            folder = expand(folder);
        }
        const auto file = [&files](int i) { return files.section(u'|', i, i); };
        const screenshotfolders::Folders folders = screenshotfolders::resolve(
            {home, pictures, u"Bildschirmfotos"_s, file(0), file(1), file(2), file(3), file(4)});
        QCOMPARE(folders.configured, configured);
        QCOMPARE(folders.chosen(), chosen == u"-"_s ? std::nullopt : std::optional(expand(chosen)));
        const QStringList defaults = {pictures + u"/Bildschirmfotos"_s,
                                      pictures + u"/Screenshots"_s, pictures};
        QCOMPARE(folders.defaults, defaults);
        QStringList everything = configured + defaults;
        everything.removeDuplicates();
        QCOMPARE(folders.all(), everything);
    }

    void catalogueNames_data()
    {
        QTest::addColumn<QString>("environment"); // LANGUAGE|LC_ALL|LC_MESSAGES|LANG
        QTest::addColumn<QString>("names");
        QTest::newRow("LANG") << u"|||de_DE.UTF-8"_s << u"de_DE de"_s;
        QTest::newRow("modifier") << u"|||sr_RS.UTF-8@latin"_s
                                  << u"sr_RS@latin sr_RS sr@latin sr"_s;
        QTest::newRow("LC_MESSAGES over LANG") << u"||fr_FR.UTF-8|de_DE.UTF-8"_s << u"fr_FR fr"_s;
        QTest::newRow("LANGUAGE list") << u"pt_BR:fr|||de_DE.UTF-8"_s << u"pt_BR pt fr"_s;
        QTest::newRow("C locale ignores LANGUAGE") << u"de|||C.UTF-8"_s << u""_s;
    }
    void catalogueNames()
    {
        QFETCH(QString, environment);
        QFETCH(QString, names);
        const QStringList e = environment.split(u'|');
        QCOMPARE(gettext::catalogueNames(e[0], e[1], e[2], e[3]),
                 names.split(u' ', Qt::SkipEmptyParts));
    }

    // Catalogues compiled by msgfmt from de.po, in both byte orders.
    void translate_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("translation"); // "-" for none
        for (const QString &file : {u"de.mo"_s, u"de-big.mo"_s}) {
            const auto row = [&](const char *name) -> QTestData & {
                return QTest::addRow("%s: %s", qPrintable(file), name) << file;
            };
            row("message") << QByteArray("Screenshots") << u"Bildschirmfotos"_s;
            row("plural found by its singular")
                << QByteArray("%d screenshot") << u"%d Bildschirmfoto"_s;
            row("only with a context")
                << QByteArray("menu\x04Screenshots") << u"Bildschirmfoto-Menü"_s;
            row("absent") << QByteArray("Screenshots!") << u"-"_s;
        }
    }
    void translate()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, message);
        QFETCH(QString, translation);
        const QByteArray catalogue = readAll(QStringLiteral(ORVANE_TEST_DATA "/") + file);
        QVERIFY(!catalogue.isEmpty());
        QCOMPARE(gettext::translate(catalogue, message),
                 translation == u"-"_s ? std::nullopt : std::optional(translation));
    }

    // A damaged catalogue gives no translation and is never read past its end.
    void damagedCatalogue()
    {
        const QByteArray catalogue = readAll(QStringLiteral(ORVANE_TEST_DATA "/de.mo"));
        for (qsizetype size = 0; size < catalogue.size(); ++size) {
            const QByteArray cut(catalogue.constData(), size); // a copy: ASan sees its end
            const auto translation = gettext::translate(cut, "Screenshots");
            QVERIFY(!translation || *translation == u"Bildschirmfotos"_s);
        }
        QByteArray wrongMagic = catalogue;
        wrongMagic[0] = 0;
        QCOMPARE(gettext::translate(wrongMagic, "Screenshots"), std::nullopt);
    }

    // The Linux platform reads the real files and settings: German user folders with GNOME's
    // catalogue installed, then a folder set in gnome-screenshot and in Spectacle.
    void linuxDesktop()
    {
        test::TestHome testHome;
        qputenv("LANG", "de_DE.UTF-8"); // put back by the test home
        const QString config = testHome.file(u".config"_s);
        write(config + u"/user-dirs.dirs"_s, "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
        write(testHome.file(u"system/share/locale/de/LC_MESSAGES/gnome-shell.mo"_s),
              readAll(QStringLiteral(ORVANE_TEST_DATA "/de.mo")));
        // Existing defaults are watched, but never taken as the user's choice.
        QVERIFY(QDir().mkpath(testHome.file(u"Bilder/Bildschirmfotos"_s)));
        setGnomeScreenshotFolder("");

        LinuxPlatform platform({});
        const QStringList defaults = {testHome.file(u"Bilder/Bildschirmfotos"_s),
                                      testHome.file(u"Bilder/Screenshots"_s),
                                      testHome.file(u"Bilder"_s)};
        QCOMPARE(platform.screenshotToolFolders(), defaults);
        QCOMPARE(platform.readSystemScreenshotLocation(), std::nullopt);

        const QString gnome = testHome.file(u"GNOME Shots"_s);
        setGnomeScreenshotFolder(QUrl::fromLocalFile(gnome).toEncoded().constData());
        write(config + u"/spectaclerc"_s, "[ImageSave]\nimageSaveLocation=/srv/spectacle\n");
        QCOMPARE(platform.screenshotToolFolders(),
                 QStringList({gnome, u"/srv/spectacle"_s}) + defaults);
        QCOMPARE(platform.readSystemScreenshotLocation(), std::optional(gnome));
        setGnomeScreenshotFolder("");
    }
};

QTEST_GUILESS_MAIN(ScreenshotFoldersTest)
#include "tst_screenshotfolders.moc"
