#include "util/file_sync.h"

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

namespace quorvel {

QString SyncToDisk([[maybe_unused]] QFileDevice& file) {
#ifndef _WIN32
    if (::fdatasync(file.handle()) != 0) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
#endif
    return {};
}

} // namespace quorvel
