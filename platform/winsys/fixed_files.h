#pragma once
// The program's fixed files (the learning animation and the failed-encoding
// file) live in one per-user folder: $XDG_RUNTIME_DIR/qzt617/, else
// /tmp/qzt617-<uid>/. The folder is created 0700 and used only when it is a
// real folder (not a link) owned by the user; a folder that cannot be used is
// reported once on standard error, with the reason.
#include <QByteArray>
#include <QString>
#include <optional>

namespace winsys {

// The folder, created if need be; nullopt (with a reason) when it is unsafe
// or cannot be made.
std::optional<QString> fixedFileFolder(QString* whyNot = nullptr);
// The full path of a fixed file, or nullopt when the folder is unusable.
std::optional<QString> fixedFilePath(const QString& name, QString* whyNot = nullptr);
// Replaces the file's content atomically: a new file under a temporary name in
// the same folder (created exclusively, never through a link), flushed, then
// renamed over the final name. A link or a regular file there is replaced - a
// link is never followed; anything else (a folder, a FIFO) is left alone,
// reported on standard error, and false returned.
bool writeFileAtomically(const QString& path, const QByteArray& content);

} // namespace winsys
