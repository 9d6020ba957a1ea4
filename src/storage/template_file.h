#pragma once
// Template files: four 568-byte records, nothing else, in the Strevia data folder. The switcher
// reads the same files, so the name and the bytes are fixed.

#include <QString>

#include <cstdint>
#include <span>
#include <stdexcept>

#include "core/pip_entry.h"

namespace quorvel {

// A template that could not be written. what() names the file and the reason.
class TemplateSaveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The folder of the hand-off file and the templates: <application data>/Strevia/, created when
// missing.
QString StreviaDataFolder();

// "PIPTemplate_" + width + "x" + height + " _" + slot + set letter + ".DAT"; no letter for set 1,
// otherwise the character 64 + set (2 = B).
QString TemplateFileName(int slot, int set, VideoSize video);

// Reads a template from the Strevia folder. False, with setup untouched, when the file is missing
// or cannot be read. Whole records only; records missing from a short file keep their content;
// records past the fourth are ignored.
bool LoadTemplateFile(const QString& fileName, TPipSetup& setup);
bool LoadTemplatePath(const QString& path, TPipSetup& setup);

// Writes a template into the Strevia folder so that a reader sees either the old file or the new
// one, never a part: the bytes go to a temporary file beside it that then replaces it. Throws
// TemplateSaveError and leaves the old file intact when the save fails.
void SaveTemplateFile(const QString& fileName, std::span<const TPipEntry> setup);
void SaveTemplatePath(const QString& path, std::span<const TPipEntry> setup);

} // namespace quorvel
