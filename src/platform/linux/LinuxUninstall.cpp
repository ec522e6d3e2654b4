#include "platform/linux/GioTrash.h"
#include "platform/linux/LinuxPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace orvane {

namespace {

bool isInside(const QString &file, const QString &folder)
{
    return !folder.isEmpty() && folder != QStringLiteral("/") &&
           file.startsWith(folder + QLatin1Char('/'));
}

// The Debian package that installed `path`, if dpkg knows it ("orvane: /usr/bin/orvane").
QString dpkgOwner(const QString &path)
{
    const QString dpkgQuery = QStandardPaths::findExecutable(QStringLiteral("dpkg-query"));
    if (dpkgQuery.isEmpty()) {
        return {};
    }
    QProcess query;
    query.start(dpkgQuery, {QStringLiteral("-S"), path});
    if (!query.waitForFinished(5000) || query.exitStatus() != QProcess::NormalExit ||
        query.exitCode() != 0) {
        query.kill();
        return {};
    }
    for (const QString &line : QString::fromUtf8(query.readAllStandardOutput()).split(u'\n')) {
        // "diversion by …" lines name no owner; "a, b: path" names several, the first will do.
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (colon > 0 && !line.startsWith(QStringLiteral("diversion "))) {
            return line.left(colon).split(QStringLiteral(", ")).first().trimmed();
        }
    }
    return {};
}

// A developer's build: a CMake build folder holds the program, at any depth below the home.
bool isInBuildTree(const QString &program, const QString &home)
{
    QDir dir = QFileInfo(program).dir();
    do {
        if (dir.exists(QStringLiteral("CMakeCache.txt"))) {
            return true;
        }
    } while (dir.absolutePath() != home && dir.cdUp() && !dir.isRoot());
    return false;
}

} // namespace

LinuxLoginServices::LinuxLoginServices(ProcessContext context) : m_context(std::move(context))
{
    // Under the home folder dpkg's answer decides whether the uninstall may move the program
    // to the Trash, so it is asked at once, whether or not a panel announces its menu's
    // openings; elsewhere it only names the package, and waits until the uninstall is in sight.
    if (isInside(QFileInfo(m_context.executableFile).canonicalFilePath(),
                 QDir(QDir::homePath()).canonicalPath())) {
        prepareProgramRemoval();
    }
}

void LinuxLoginServices::prepareProgramRemoval()
{
    if (m_packageOwner.valid()) {
        return;
    }
    const QString program = QFileInfo(m_context.executableFile).canonicalFilePath();
    if (!program.isEmpty()) {
        m_packageOwner = std::async(std::launch::async, [program] { return dpkgOwner(program); });
    }
}

LinuxLoginServices::ProgramRemoval LinuxLoginServices::programRemoval()
{
    // Asked here at the latest; until dpkg answers, nothing goes to the Trash on a guess.
    prepareProgramRemoval();
    // An AppImage is one file the user put somewhere; a binary under the home folder was
    // installed by the user too. Anything else belongs to a package manager or an
    // administrator, and stays.
    ProgramRemoval removal;
    removal.program = QFileInfo(m_context.executableFile).canonicalFilePath();
    // The log keeps English; the confirmation speaks the user's language.
    // Both filled in one go: a path holding "%2" must not be taken for the second place.
    const auto say = [&removal](const char *text, const QString &first, const QString &second) {
        const QString english = QString::fromUtf8(text);
        const QString shown = QCoreApplication::translate("LinuxLoginServices", text);
        removal.note = second.isNull() ? english.arg(first) : english.arg(first, second);
        removal.shownNote = second.isNull() ? shown.arg(first) : shown.arg(first, second);
    };
    if (removal.program.isEmpty()) {
        say(QT_TRANSLATE_NOOP("LinuxLoginServices", "%1 was not found; nothing was removed."),
            m_context.executableFile, {});
        return removal;
    }
    const QString home = QDir(QDir::homePath()).canonicalPath();
    const bool isAppImage = !m_context.appImage.isEmpty() &&
                            QFileInfo(m_context.appImage).canonicalFilePath() == removal.program;
    // dpkg's answer, asked in the background; never waited for.
    QString package;
    bool asking = false;
    if (!isAppImage && m_packageOwner.valid()) {
        if (m_packageOwner.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
            package = m_packageOwner.get();
        } else {
            asking = true;
        }
    }
    if (!package.isEmpty()) {
        say(QT_TRANSLATE_NOOP("LinuxLoginServices",
                              "%1 was installed with the package \"%2\" and stays: remove it with "
                              "the package manager, for example \"sudo apt remove %2\"."),
            removal.program, package);
    } else if (!isAppImage && !isInside(removal.program, home)) {
        say(QT_TRANSLATE_NOOP("LinuxLoginServices",
                              "%1 is not installed in your home folder and stays: remove it the "
                              "way it was installed."),
            removal.program, {});
    } else if (!isAppImage && isInBuildTree(removal.program, home)) {
        say(QT_TRANSLATE_NOOP("LinuxLoginServices",
                              "%1 is a build in a CMake build folder and stays."),
            removal.program, {});
    } else if (asking) {
        // Not trashed on a guess: it may be a package's file.
        say(QT_TRANSLATE_NOOP("LinuxLoginServices",
                              "%1 stays for now: the package manager has not yet said whether "
                              "it installed it."),
            removal.program, {});
    } else {
        removal.toTrash = true;
        say(QT_TRANSLATE_NOOP("LinuxLoginServices", "%1 will be moved to the Trash."),
            removal.program, {});
    }
    return removal;
}

std::optional<QString> LinuxLoginServices::loginEntryRefusal()
{
    const QString program = QFileInfo(m_context.executableFile).canonicalFilePath();
    if (program.isEmpty() || !isInBuildTree(program, QDir(QDir::homePath()).canonicalPath())) {
        return std::nullopt;
    }
    return QStringLiteral("%1 is a build in a CMake build folder; only an installed Orvane is "
                          "started at login.")
        .arg(program);
}

ProgramRemovalPlan LinuxLoginServices::programRemovalPlan()
{
    const ProgramRemoval removal = programRemoval();
    return {.note = removal.shownNote, .toTrash = removal.toTrash};
}

Result LinuxLoginServices::removeProgram(bool questionSaidTrash)
{
    const ProgramRemoval removal = programRemoval();
    if (!removal.toTrash) {
        return Result::failed(removal.note);
    }
    // Decided otherwise since the question said the program stays (dpkg answered while it was
    // open): the uninstall does no more than the user agreed to.
    if (!questionSaidTrash) {
        return Result::failed(
            QStringLiteral("%1 stays, as the question said; asked again, it would go to the Trash.")
                .arg(removal.program));
    }
    // The freedesktop Trash, so that the user can restore what the uninstall took away. At
    // once, not in the background: Orvane quits right after.
    if (const std::optional<QString> reason = gio::trash(removal.program)) {
        return Result::failed(
            QStringLiteral("%1 could not be moved to the Trash (%2); nothing was removed.")
                .arg(removal.program, *reason));
    }
    return Result::done();
}

} // namespace orvane
