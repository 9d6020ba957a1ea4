// GetSpecialFolder on Windows: SHGetFolderPathW through the Qt-free special_folder_core_win32.

#include "util/helpers.h"
#include "util/special_folder_core_win32.h"

namespace quorvel {

QString GetSpecialFolder(int csidl) {
    return QString::fromStdWString(win32::SpecialFolderPath(csidl));
}

} // namespace quorvel
