#include "fixed_files.h"

#include <QDir>
#include <QSaveFile>

#include <cerrno>
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

bool fail(QString* whyNot, const QString& reason) {
    if (whyNot)
        *whyNot = reason;
    return false;
}

// A folder we may keep files in: a real folder, ours, and private.
bool isSafeFolder(const QByteArray& path, QString* whyNot) {
    struct stat info {};
    if (lstat(path.constData(), &info) != 0)
        return fail(whyNot, QStringLiteral("cannot inspect %1").arg(QString::fromLocal8Bit(path)));
    if (!S_ISDIR(info.st_mode))
        return fail(whyNot, QStringLiteral("%1 is not a folder").arg(QString::fromLocal8Bit(path)));
    if (info.st_uid != getuid())
        return fail(whyNot,
                    QStringLiteral("%1 belongs to another user").arg(QString::fromLocal8Bit(path)));
    if ((info.st_mode & 0077) != 0 && chmod(path.constData(), 0700) != 0)
        return fail(whyNot,
                    QStringLiteral("%1 is open to others").arg(QString::fromLocal8Bit(path)));
    return true;
}

} // namespace

std::optional<QString> fixedFileFolder(QString* whyNot) {
    const QString folder = candidateFolder();
    const QByteArray path = QFile::encodeName(folder);
    if (mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        fail(whyNot, QStringLiteral("cannot create %1").arg(folder));
        return std::nullopt;
    }
    if (!isSafeFolder(path, whyNot))
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
    // QSaveFile writes a temporary file beside the target and renames it over
    // the target, so a link at the final path is replaced, not followed.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(content) != content.size())
        return false;
    return file.commit();
}

} // namespace winsys
