// Markup on freedesktop systems: the screenshot opens in an application that can draw on it (an
// arrow, a blurred password) where one is installed, else in the image viewer. Applications are
// found through their desktop entries and started through them.

#include "platform/linux/GioLibrary.h"

#include "platform/Log.h"
#include "platform/linux/LaunchFile.h"
#include "platform/linux/LinuxPlatform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace orvane {

namespace {

using launchfile::launchOn;

struct Annotator {
    const char *program;             // its executable, as an entry's Exec= names it
    std::array<const char *, 2> ids; // its entries' ids where they are not named after it
    // What opens a file for editing when an entry passes none (Exec=ksnip): given the file
    // alone, ksnip would take a new screenshot, and satty and swappy would refuse it.
    const char *editOption;
};

// The lightest that can draw an arrow and blur a password first: the screenshot annotators,
// then the painting programs, GIMP last. Flatpak's entries are known by their ids.
constexpr Annotator annotators[] = {
    {"ksnip", {"org.ksnip.ksnip.desktop", "ksnip.desktop"}, "--edit"},
    {"satty", {"com.gabm.satty.desktop", "satty.desktop"}, "-f"},
    {"swappy", {"swappy.desktop", "me.jtheoof.swappy.desktop"}, "-f"},
    {"drawing", {"com.github.maoschanz.drawing.desktop", nullptr}, nullptr},
    {"kolourpaint", {"org.kde.kolourpaint.desktop", "kolourpaint.desktop"}, nullptr},
    {"pinta", {"com.github.PintaProject.Pinta.desktop", "pinta.desktop"}, nullptr},
    {"gimp", {"gimp.desktop", "org.gimp.GIMP.desktop"}, nullptr},
};

struct Unref {
    const gio::Functions *gio;
    void operator()(GAppInfo *app) const
    {
        if (app) {
            gio->objectUnref(app);
        }
    }
};
using AppRef = std::unique_ptr<GAppInfo, Unref>;

// An installed application Markup can start on a file.
struct Candidate {
    FileApplication entry;
    AppRef editor; // the entry itself, or its program with its edit option
};

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// A program's name without its folder or version ("/usr/bin/gimp-2.10": gimp).
QString programName(const char *executable)
{
    static const QRegularExpression version(QStringLiteral("-[0-9][0-9.]*$"));
    return executable ? QFileInfo(QString::fromLocal8Bit(executable)).fileName().remove(version)
                      : QString();
}

const Annotator *annotatorOf(const gio::Functions &gio, GAppInfo *app)
{
    const QString id = text(gio.appInfoGetId(app));
    const QString program = programName(gio.appInfoGetExecutable(app));
    for (const Annotator &annotator : annotators) {
        if (program == QLatin1String(annotator.program) ||
            std::ranges::any_of(annotator.ids, [&id](const char *known) {
                return known && id == QLatin1String(known);
            })) {
            return &annotator;
        }
    }
    return nullptr;
}

// How `app` opens a file to be edited: through its entry, which passes the file itself (or
// has GIO add it at the end); or, where that would not edit it, the entry's program with its
// edit option. None when the entry is more than the plain program (a Flatpak's `flatpak run`,
// which the option would not reach and the file not enter): nothing is guessed.
AppRef editorFor(const gio::Functions &gio, GAppInfo *app, const Annotator *annotator)
{
    if (!annotator || !annotator->editOption || gio.appInfoSupportsFiles(app) ||
        gio.appInfoSupportsUris(app)) {
        return AppRef(static_cast<GAppInfo *>(gio.objectRef(app)), Unref{&gio});
    }
    AppRef editor(nullptr, Unref{&gio});
    const char *commandline = gio.appInfoGetCommandline(app);
    gint argc = 0;
    gchar **argv = nullptr;
    if (commandline && g_shell_parse_argv(commandline, &argc, &argv, nullptr) && argc == 1 &&
        programName(argv[0]) == QLatin1String(annotator->program)) {
        gchar *quoted = g_shell_quote(argv[0]);
        // GIO appends the file as " %f", quoted; a '%' of the program's own would be a code.
        const QByteArray line =
            QByteArray(quoted).replace("%", "%%") + ' ' + QByteArray(annotator->editOption);
        g_free(quoted);
        editor.reset(gio.appInfoCreateFromCommandline(line.constData(), gio.appInfoGetName(app),
                                                      G_APP_INFO_CREATE_NONE, nullptr));
    }
    g_strfreev(argv);
    return editor;
}

// The installed annotators that can open a file for editing, best first. Entries hidden from
// menus count (satty's is): they are there to be started on files.
std::vector<Candidate> installedAnnotators(const gio::Functions &gio)
{
    std::vector<std::pair<const Annotator *, Candidate>> found;
    GList *all = gio.appInfoGetAll();
    for (GList *item = all; item; item = item->next) {
        auto *app = static_cast<GAppInfo *>(item->data);
        const Annotator *annotator = annotatorOf(gio, app);
        if (!annotator) {
            continue;
        }
        if (AppRef editor = editorFor(gio, app, annotator)) {
            found.emplace_back(
                annotator, Candidate{{text(gio.appInfoGetId(app)), text(gio.appInfoGetName(app))},
                                     std::move(editor)});
        }
    }
    g_list_free_full(all, gio.objectUnref);
    std::ranges::stable_sort(found, {}, [](const auto &pair) { return pair.first; });
    std::vector<Candidate> candidates;
    for (auto &[annotator, candidate] : found) {
        candidates.push_back(std::move(candidate));
    }
    return candidates;
}

} // namespace

void LinuxCardPlatformServices::openForMarkup(const QString &path, const QString &applicationId,
                                              std::function<void(bool)> finished)
{
    const gio::Functions *gio = gio::functions();
    if (!gio) {
        launchfile::openWithDefault(path, std::move(finished));
        return;
    }
    const auto opened = [&finished] {
        if (finished) {
            finished(true);
        }
    };
    if (!applicationId.isEmpty()) {
        GDesktopAppInfo *entry = gio->desktopAppInfoNew(applicationId.toUtf8().constData());
        // A plain cast: G_APP_INFO's type check would call into GObject through the linker.
        AppRef chosen(reinterpret_cast<GAppInfo *>(entry), Unref{gio});
        AppRef editor =
            chosen ? editorFor(*gio, chosen.get(), annotatorOf(*gio, chosen.get())) : nullptr;
        if (editor && launchOn(*gio, path, editor.get())) {
            opened();
            return;
        }
        logLine(QStringLiteral("The application chosen for Markup, %1, %2; Markup chooses one "
                               "itself.")
                    .arg(applicationId, chosen ? QStringLiteral("could not be started")
                                               : QStringLiteral("is not installed")));
    }
    for (const Candidate &candidate : installedAnnotators(*gio)) {
        if (launchOn(*gio, path, candidate.editor.get())) {
            opened();
            return;
        }
    }
    launchfile::openWithDefault(path, std::move(finished));
}

MarkupApplications LinuxCardPlatformServices::markupApplications()
{
    MarkupApplications result;
    result.automatic.name =
        QCoreApplication::translate("LinuxCardPlatformServices", "Image Viewer");
    const gio::Functions *gio = gio::functions();
    if (!gio) {
        return result;
    }
    const std::vector<Candidate> found = installedAnnotators(*gio);
    const auto add = [&result](const FileApplication &app) {
        if (!app.id.isEmpty() && std::ranges::none_of(result.choices, [&app](const auto &known) {
                return known.id == app.id;
            })) {
            result.choices.append(app);
        }
    };
    GList *forImages = gio->appInfoGetAllForType("image/png");
    for (GList *item = forImages; item; item = item->next) {
        auto *app = static_cast<GAppInfo *>(item->data);
        if (gio->appInfoShouldShow(app)) {
            add({text(gio->appInfoGetId(app)), text(gio->appInfoGetName(app))});
        }
    }
    g_list_free_full(forImages, gio->objectUnref);
    for (const Candidate &candidate : found) {
        add(candidate.entry);
    }
    std::ranges::sort(result.choices, [](const FileApplication &a, const FileApplication &b) {
        const int byName = a.name.toCaseFolded().localeAwareCompare(b.name.toCaseFolded());
        return byName != 0 ? byName < 0 : a.id < b.id;
    });
    if (!found.empty()) {
        result.automatic = found.front().entry;
    } else if (GAppInfo *viewer = gio->appInfoGetDefaultForType("image/png", FALSE)) {
        result.automatic = {text(gio->appInfoGetId(viewer)), text(gio->appInfoGetName(viewer))};
        gio->objectUnref(viewer);
    }
    return result;
}

} // namespace orvane
