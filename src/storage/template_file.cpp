#include "storage/template_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

#include "util/helpers.h"

namespace quorvel {

namespace {

std::array<std::uint8_t, kPipSetupSize> ToBytes(std::span<const TPipEntry> setup, qsizetype& size) {
    std::array<std::uint8_t, kPipSetupSize> bytes{};
    size = 0;
    for (const TPipEntry& e : setup.first(std::min(setup.size(), kPipCount))) {
        EntryToBytes(e, std::span<std::uint8_t, kPipEntrySize>(bytes.data() + size, kPipEntrySize));
        size += static_cast<qsizetype>(kPipEntrySize);
    }
    return bytes;
}

[[noreturn]] void ThrowSaveError(const QString& path, const QString& reason) {
    const QString message = QStringLiteral("Could not save the template \"%1\": %2")
                                .arg(QDir::toNativeSeparators(path), reason);
    throw TemplateSaveError(message.toStdString());
}

// Overwrites the file in place: the fallback when another program holds it so that it cannot be
// replaced.
bool OverwriteInPlace(const QString& path, const char* data, qsizetype size, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        error = file.errorString();
        return false;
    }
    if (file.write(data, size) != size || !file.resize(size) || !file.flush()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

QString StreviaDataFolder() {
    return GetUserDataFolder(QStringLiteral("Strevia"));
}

QString TemplateFileName(int slot, int set, VideoSize video) {
    QString letter;
    if (set != 1) {
        letter = QChar(static_cast<char16_t>(64 + set));
    }
    return QStringLiteral("PIPTemplate_%1x%2 _%3%4.DAT")
        .arg(video.width)
        .arg(video.height)
        .arg(slot)
        .arg(letter);
}

bool LoadTemplatePath(const QString& path, TPipSetup& setup) {
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    TPipSetup buffer = setup; // records the file does not hold keep their content
    std::array<std::uint8_t, kPipEntrySize> record{};
    for (TPipEntry& e : buffer) {
        const qint64 got = file.read(reinterpret_cast<char*>(record.data()), kPipEntrySize);
        if (got < 0) {
            return false;
        }
        if (got < static_cast<qint64>(kPipEntrySize)) {
            break; // a trailing part of a record is not read
        }
        e = EntryFromBytes(record);
    }
    setup = buffer;
    return true;
}

bool LoadTemplateFile(const QString& fileName, TPipSetup& setup) {
    return LoadTemplatePath(StreviaDataFolder() + fileName, setup);
}

void SaveTemplatePath(const QString& path, std::span<const TPipEntry> setup) {
    qsizetype size = 0;
    const auto bytes = ToBytes(setup, size);
    const char* data = reinterpret_cast<const char*>(bytes.data());

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        ThrowSaveError(path, file.errorString());
    }
    if (file.write(data, size) != size) {
        const QString reason = file.errorString();
        file.cancelWriting();
        ThrowSaveError(path, reason);
    }
    if (file.commit()) {
        return;
    }
    // The new bytes are safe in the temporary file, but it could not replace the old one (on
    // Windows a reader holding the file open prevents that). Then write over it in place.
    const QString reason = file.errorString();
    if (file.error() != QFileDevice::RenameError || !QFileInfo(path).isFile()) {
        ThrowSaveError(path, reason); // the old template is untouched
    }
    QString inPlaceError;
    if (!OverwriteInPlace(path, data, size, inPlaceError)) {
        ThrowSaveError(path, inPlaceError);
    }
}

void SaveTemplateFile(const QString& fileName, std::span<const TPipEntry> setup) {
    SaveTemplatePath(StreviaDataFolder() + fileName, setup);
}

} // namespace quorvel
