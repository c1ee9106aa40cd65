#include "fixed_files.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace winsys {
namespace {

QString candidateFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return QString::fromLocal8Bit(runtime) + QStringLiteral("/qzt617");
    return QStringLiteral("/tmp/qzt617-%1").arg(getuid());
}

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The program asks for the folder on every capture; a person needs to hear
// about a bad folder only once.
void reportOnce(const QString& reason) {
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true))
        std::fprintf(stderr,
                     "qzt617: %s; the learning animation and the failed-encoding file are not "
                     "kept\n",
                     qPrintable(reason));
}

bool fail(QString* whyNot, const QString& reason) {
    reportOnce(reason);
    if (whyNot)
        *whyNot = reason;
    return false;
}

// Mode 0700 on the folder itself: opened without following a link, so a link
// put there after the check is not what gets changed.
bool closeToOthers(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool closed = ::fchmod(fd, 0700) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return closed;
}

// A folder we may keep files in: a real folder, ours, and private.
bool isSafeFolder(const QString& folder, QString* whyNot) {
    const QByteArray path = QFile::encodeName(folder);
    const QString name = QStringLiteral("the runtime folder ") + folder;
    struct stat info {};
    if (lstat(path.constData(), &info) != 0)
        return fail(whyNot, name + QStringLiteral(" cannot be examined: ") + systemError());
    if (S_ISLNK(info.st_mode))
        return fail(whyNot, name + QStringLiteral(" is a symbolic link"));
    if (!S_ISDIR(info.st_mode))
        return fail(whyNot, name + QStringLiteral(" is not a folder"));
    if (info.st_uid != getuid())
        return fail(whyNot,
                    name + QStringLiteral(" belongs to another user (uid %1)").arg(info.st_uid));
    if ((info.st_mode & 0077) != 0 && !closeToOthers(path)) {
        const QString why = systemError();
        return fail(whyNot, name +
                                QStringLiteral(" is open to others (mode %1) and cannot be "
                                               "made 0700: ")
                                    .arg(info.st_mode & 07777, 4, 8, QLatin1Char('0')) +
                                why);
    }
    return true;
}

// Splits a path into its folder and its last name ("" folder means ".").
std::pair<QByteArray, QByteArray> splitPath(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {QByteArrayLiteral("."), path};
    return {slash == 0 ? QByteArrayLiteral("/") : path.left(slash), path.mid(slash + 1)};
}

bool writeAll(int fd, const QByteArray& content) {
    const char* data = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

// A new file under a fresh name in the folder: never an existing file and
// never through a link, whatever another process puts there meanwhile.
int createTemporary(int folderFd, const QByteArray& name, QByteArray& temporary) {
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = '.' + name + '.' + QByteArray::number(seed(), 36);
        const int fd = ::openat(folderFd, temporary.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// What stands at the final name may be replaced only when it is a regular
// file or a link (the link itself, not what it points to).
bool mayReplace(int folderFd, const QByteArray& name, const QByteArray& path) {
    struct stat info {};
    if (::fstatat(folderFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode))
        return true;
    std::fprintf(stderr, "qzt617: %s is neither a file nor a link; left alone\n", path.constData());
    return false;
}

} // namespace

std::optional<QString> fixedFileFolder(QString* whyNot) {
    const QString folder = candidateFolder();
    const QByteArray path = QFile::encodeName(folder);
    if (mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        fail(whyNot, QStringLiteral("the runtime folder %1 cannot be created: %2")
                         .arg(folder, systemError()));
        return std::nullopt;
    }
    if (!isSafeFolder(folder, whyNot))
        return std::nullopt;
    return folder;
}

std::optional<QString> fixedFilePath(const QString& name, QString* whyNot) {
    const auto folder = fixedFileFolder(whyNot);
    if (!folder)
        return std::nullopt;
    return *folder + QLatin1Char('/') + name;
}

bool writeFileAtomically(const QString& path, const QByteArray& content) {
    const QByteArray encoded = QFile::encodeName(path);
    const auto [folder, name] = splitPath(encoded);
    if (name.isEmpty())
        return false;
    // Everything below is relative to the folder opened once, so a folder
    // swapped for a link after this point changes nothing.
    const int folderFd =
        ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folderFd < 0)
        return false;
    QByteArray temporary;
    int fd = -1;
    bool ok = mayReplace(folderFd, name, encoded) &&
              (fd = createTemporary(folderFd, name, temporary)) >= 0 && writeAll(fd, content) &&
              ::fsync(fd) == 0;
    if (fd >= 0 && ::close(fd) != 0)
        ok = false;
    // rename replaces a link at the final name by the new file; it never
    // writes to where the link points.
    if (ok)
        ok = ::renameat(folderFd, temporary.constData(), folderFd, name.constData()) == 0;
    if (!ok && fd >= 0)
        ::unlinkat(folderFd, temporary.constData(), 0);
    ::close(folderFd);
    return ok;
}

} // namespace winsys
