#include "platform/urcwire/socket_path.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace urcwire {

std::string checkPrivateFolder(const std::string& folder) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0)
        return "cannot examine " + folder + ": " + std::strerror(errno);
    if (S_ISLNK(info.st_mode))
        return folder + " is a symbolic link; refusing to use it";
    if (!S_ISDIR(info.st_mode))
        return folder + " is not a folder";
    if (info.st_uid != ::getuid())
        return folder + " belongs to another user";
    if ((info.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
        return folder + " is open to other users (mode " + mode + "); it must be 0700";
    }
    return {};
}

bool fitsSocketAddress(const std::string& path) {
    return !path.empty() && path.size() < sizeof(sockaddr_un{}.sun_path);
}

RuntimeFolder resolveRuntimeFolder(bool createFolder) {
    RuntimeFolder result;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder = runtime && *runtime ? std::string(runtime) + "/qzt617"
                                                   : "/tmp/qzt617-" + std::to_string(::getuid());
    if (createFolder && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        result.error = "cannot create " + folder + ": " + std::strerror(errno);
        return result;
    }
    struct stat info {};
    if (!createFolder && ::lstat(folder.c_str(), &info) != 0 && errno == ENOENT) {
        result.error = "no URC server has made " + folder;
        result.missing = true;
        return result;
    }
    if (std::string problem = checkPrivateFolder(folder); !problem.empty()) {
        result.error = problem;
        return result;
    }
    result.path = folder;
    return result;
}

SocketPath resolveSocketPath(bool createFolder) {
    SocketPath result;
    if (const char* own = std::getenv("QZT617_URC_SOCKET"); own && *own) {
        result.path = own;
    } else {
        RuntimeFolder folder = resolveRuntimeFolder(createFolder);
        if (folder.path.empty()) {
            result.error = folder.error;
            result.refused = !folder.missing;
            return result;
        }
        result.path = folder.path + "/urc.sock";
    }
    if (!fitsSocketAddress(result.path)) {
        result.error = "the socket path " + result.path + " is too long for a Unix socket";
        result.refused = true;
        result.path.clear();
    }
    return result;
}

} // namespace urcwire
