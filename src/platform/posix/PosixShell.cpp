#include "platform/posix/PosixShell.h"

#include "platform/posix/DesktopApplications.h"
#include "platform/posix/UniqueFd.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace menu::platform {

namespace {

bool startsWith(const QString &path, const QByteArray &magic)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(magic.size()) == magic;
}

// 0 stays for a shortage of resources; an error without a number of its own is told by its
// reason.
ShellCode codeOf(int error)
{
    switch (error) {
    case ENOENT:
        return ShellCode::FileNotFound;
    case ENOTDIR:
        return ShellCode::PathNotFound;
    case EACCES:
    case EPERM:
        return ShellCode::AccessDenied; // with its reason: the file may not be run, e.g. a noexec
                                        // mount
    case ENOMEM:
        return ShellCode::OutOfMemory;
    case ENOEXEC:
        return ShellCode::BadFormat;
    case EAGAIN:
    case EMFILE:
    case ENFILE:
        return ShellCode::OutOfResources;
    default:
        return ShellCode::Other;
    }
}
} // namespace

ShellResult shellFailure(int error, const QString &path)
{
    return {codeOf(error), Failure::errnoValue(error, path)};
}

namespace {

// Starts program with args in workingDir and lets it run on its own: a middle child is
// waited for at once, so the started program never becomes a zombie of the launcher.
ShellResult spawnDetached(const QString &program, const QStringList &args,
                          const QString &workingDir)
{
    std::vector<QByteArray> encoded;
    encoded.push_back(QFile::encodeName(program));
    for (const QString &arg : args)
        encoded.push_back(QFile::encodeName(arg));
    std::vector<char *> argv;
    argv.reserve(encoded.size() + 1);
    for (QByteArray &word : encoded)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const QByteArray dir = QFile::encodeName(workingDir);

    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return shellFailure(errno, program);
    UniqueFd reader(ends[0]);
    UniqueFd writer(ends[1]);
    const pid_t middle = ::fork();
    if (middle < 0)
        return shellFailure(errno, program);
    if (middle == 0) {
        // Only async-signal-safe calls from here on.
        ::setsid();
        const pid_t child = ::fork();
        if (child == 0) {
            if (!dir.isEmpty() && ::chdir(dir.constData()) != 0) {
                const int error = errno;
                [[maybe_unused]] auto n = ::write(writer.get(), &error, sizeof error);
                ::_exit(127);
            }
            ::execve(argv[0], argv.data(), environ);
            const int error = errno;
            [[maybe_unused]] auto n = ::write(writer.get(), &error, sizeof error);
            ::_exit(127);
        }
        ::_exit(child < 0 ? 1 : 0);
    }
    writer.reset();
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes without a word when execve succeeded.
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(reader.get(), &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(sizeof error))
        return shellFailure(error, program);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return shellFailure(EAGAIN, program); // the second fork failed
    return {};
}
} // namespace

OpenWay openWayFor(const QString &path)
{
    const QFileInfo info(path);
    if (info.isExecutable() && (startsWith(path, QByteArrayLiteral("\x7f"
                                                                   "ELF")) ||
                                startsWith(path, QByteArrayLiteral("#!"))))
        return OpenWay::Direct;
    if (startsWith(path, QByteArrayLiteral("MZ")))
        return OpenWay::Wine;
    return OpenWay::Associated;
}

ShellResult PosixShell::open(const QString &path, const QString &workingDir, OwnerWindow)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {QFileInfo::exists(info.absolutePath()) ? ShellCode::FileNotFound
                                                       : ShellCode::PathNotFound,
                {}};
    switch (openWayFor(path)) {
    case OpenWay::Direct:
        return spawnDetached(path, {}, workingDir);
    case OpenWay::Wine: {
        const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
        if (wine.isEmpty())
            return {ShellCode::NoAssociation, {}};
        return spawnDetached(wine, {path}, workingDir);
    }
    case OpenWay::Associated:
        break;
    }
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    // xdg-open starts whatever it finds, or nothing, and tells no one; a document that no
    // application takes is said to be one before the click seems to work.
    if (opener.isEmpty() || desktopOpens(path) == std::optional<bool>(false))
        return {ShellCode::NoAssociation, {}};
    return spawnDetached(opener, {path}, workingDir);
}

ShellResult PosixShell::start(const QString &program, const QStringList &arguments,
                              const QString &workingDir, OwnerWindow)
{
    const QFileInfo info(program);
    if (!info.exists())
        return {QFileInfo::exists(info.absolutePath()) ? ShellCode::FileNotFound
                                                       : ShellCode::PathNotFound,
                {}};
    switch (openWayFor(program)) {
    case OpenWay::Direct:
        return spawnDetached(program, arguments, workingDir);
    case OpenWay::Wine: {
        const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
        if (wine.isEmpty())
            return {ShellCode::NoAssociation, {}};
        return spawnDetached(wine, QStringList{program} + arguments, workingDir);
    }
    case OpenWay::Associated:
        break;
    }
    return {ShellCode::BadFormat, {}};
}

} // namespace menu::platform
