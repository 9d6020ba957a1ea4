#pragma once
// Small stateless helpers shared by the whole tool: folders, text replacement, waiting with the
// event loop running, and telling a still image from a clip by its name.

#include <QString>

namespace quorvel {

// The folder delimiter this platform writes into the paths built here.
#ifdef _WIN32
inline constexpr QChar kPathDelimiter = u'\\';
#else
inline constexpr QChar kPathDelimiter = u'/';
#endif

// Windows folder numbers (CSIDL) that the tool asks for.
inline constexpr int kCsidlAppData = 26;        // the user's roaming application data
inline constexpr int kCsidlCommonPictures = 54; // the shared pictures folder

enum class TextCase { Exact, IgnoreAsciiCase };

// True when path names an existing folder; a link that leads to a folder counts.
bool FolderExists(const QString& path);

// Creates every missing level of path, parents first. True when the folder exists afterwards.
// An empty path is a caller's error and throws std::invalid_argument.
bool ForceFolder(const QString& path);

// Replaces every occurrence of oldPattern, left to right; matches never overlap and text brought in
// by newPattern is not searched again. IgnoreAsciiCase folds only a-z onto A-Z.
QString ReplaceText(const QString& text, const QString& oldPattern, const QString& newPattern,
                    TextCase textCase);

// Keeps the calling thread's event loop running for at least `milliseconds`. Handles the waiting
// events at least once, also for 0 or a negative value. Window thread only.
void WaitWithMessages(int milliseconds);

// The path of a Windows special folder (see the kCsidl constants) without a trailing delimiter, or
// an empty string when the platform has no such folder. The folder is not created.
// On Linux: application data is the XDG data home, shared pictures the user's pictures folder.
QString GetSpecialFolder(int csidl);

// <application data>/<subfolder>/ or, with an empty subfolder, <application data>/<executable>/.
// Always ends in a delimiter; the folder is created when it is missing (failure is not reported).
QString GetUserDataFolder(const QString& subfolder);

// The running executable's file name without folder and extension ("quorvel").
QString ExecutableBaseName();

// The running executable's folder, ending in a delimiter.
QString ExecutableFolder();

// True for the still-image names .jpg, .jpeg, .tif, .png and .gif (any case). A name that starts
// with a double quote has every double quote removed first.
bool IsImageFileName(const QString& fileName);

// Appends the platform delimiter unless `path` already ends in one.
QString WithTrailingDelimiter(const QString& path);

} // namespace quorvel
