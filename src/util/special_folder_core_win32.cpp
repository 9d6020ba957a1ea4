#include "util/special_folder_core_win32.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which it builds on.
#include <shlobj.h>

namespace quorvel::win32 {

std::wstring SpecialFolderPath(int csidl) {
    // Flags such as CSIDL_FLAG_CREATE live above the low byte; none is taken from the caller.
    if (csidl < 0 || csidl > 0xFF) {
        return {};
    }
    wchar_t path[MAX_PATH] = {};
    const HRESULT status = SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    // S_FALSE: the folder is known but does not exist yet; its path still counts.
    if (FAILED(status)) {
        return {};
    }
    std::wstring folder(path);
    // "C:\" stays: without its backslash it would name the drive's current folder.
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) {
        folder.pop_back();
    }
    return folder;
}

} // namespace quorvel::win32
