#pragma once
// Files read and written whole, for command-line tools: inputs are regular
// files read within a stated bound (a FIFO, a folder or a device is refused at
// once, never waited on or read without end); outputs replace the file
// atomically, the way a crash or a full disk leaves either the old file or the
// new one, never a piece.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace wholefiles {

struct ReadFile {
    std::optional<std::string> content; // set on success
    std::string error;                  // a sentence for a person otherwise
};

// The whole content of the regular file at `path` when it holds at most
// `maxBytes`; `kind` names what the file should be ("lircd.conf") in the
// refusal of a larger one. The size is checked before reading, and no more
// than maxBytes + 1 bytes are ever read (a file growing meanwhile is refused).
ReadFile readRegularFile(const std::string& path, std::size_t maxBytes, std::string_view kind);

// Replaces the file at `path` with `content`: a new file under a temporary
// name in the same folder ("<name>.tmp-XXXXXX", created exclusively, never
// through a link), written,
// flushed to disk and renamed over `path`. A link at `path` is itself replaced,
// never followed; anything else there but a regular file (a folder, a FIFO, a
// device) is refused. The new file keeps the permissions of the regular file
// it replaces, else gets newFileMode less the umask. On failure the old file
// stays as it was and the temporary one is removed. nullopt on success, else
// the reason, with the system's own (no space, permission).
std::optional<std::string> replaceFile(const std::string& path, std::string_view content,
                                       unsigned newFileMode = 0666);

// A path's folder and last name: "." for a bare name, "/" for one at the root.
struct PathParts {
    std::string folder;
    std::string name;
};
PathParts splitPath(const std::string& path);

} // namespace wholefiles
