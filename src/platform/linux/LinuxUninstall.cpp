#include "platform/linux/GioTrash.h"
#include "platform/linux/LinuxPlatform.h"

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
    const QString program = QFileInfo(m_context.executableFile).canonicalFilePath();
    if (!program.isEmpty()) {
        m_packageOwner = std::async(std::launch::async, [program] { return dpkgOwner(program); });
    }
}

LinuxLoginServices::ProgramRemoval LinuxLoginServices::programRemoval(bool wait) const
{
    // An AppImage is one file the user put somewhere; a binary under the home folder was
    // installed by the user too. Anything else belongs to a package manager or an
    // administrator, and stays.
    ProgramRemoval removal;
    removal.program = QFileInfo(m_context.executableFile).canonicalFilePath();
    if (removal.program.isEmpty()) {
        removal.note =
            QStringLiteral("%1 was not found; nothing was removed.").arg(m_context.executableFile);
        return removal;
    }
    const QString home = QDir(QDir::homePath()).canonicalPath();
    const bool isAppImage = !m_context.appImage.isEmpty() &&
                            QFileInfo(m_context.appImage).canonicalFilePath() == removal.program;
    QString package;
    if (!isAppImage && m_packageOwner.valid() &&
        (wait || m_packageOwner.wait_for(std::chrono::seconds(0)) == std::future_status::ready)) {
        package = m_packageOwner.get();
    }
    if (!package.isEmpty()) {
        removal.note = QStringLiteral("%1 was installed with the package \"%2\" and stays: remove "
                                      "it with the package manager, for example \"sudo apt "
                                      "remove %2\".")
                           .arg(removal.program, package);
    } else if (!isAppImage && !isInside(removal.program, home)) {
        removal.note = QStringLiteral("%1 is not installed in your home folder and stays: remove "
                                      "it the way it was installed.")
                           .arg(removal.program);
    } else if (!isAppImage && isInBuildTree(removal.program, home)) {
        removal.note =
            QStringLiteral("%1 is a build in a CMake build folder and stays.").arg(removal.program);
    } else {
        removal.toTrash = true;
        removal.note = QStringLiteral("%1 will be moved to the Trash.").arg(removal.program);
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

QString LinuxLoginServices::programRemovalNote()
{
    return programRemoval(false).note;
}

Result LinuxLoginServices::removeProgram()
{
    // Long in by the time anyone confirms an uninstall; waited for all the same, since what
    // goes to the Trash depends on it.
    const ProgramRemoval removal = programRemoval(true);
    if (!removal.toTrash) {
        return Result::failed(removal.note);
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
