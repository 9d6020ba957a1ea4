#pragma once
// The Windows special folders through SHGetFolderPathW. Plain Win32 with no Qt, so that it builds
// with mingw and its tests run under Wine; GetSpecialFolder (helpers.h) wraps it.

#include <string>

namespace quorvel::win32 {

// The path of the special folder `csidl` (a CSIDL number, no flags) without a trailing backslash
// (a drive root such as "C:\" keeps it), or an empty string when the system has no such folder.
// The folder is never created.
std::wstring SpecialFolderPath(int csidl);

} // namespace quorvel::win32
