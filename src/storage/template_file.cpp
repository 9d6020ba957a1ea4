#include "storage/template_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "util/file_sync.h"
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
// replaced. When that fails part way, the old bytes are put back so that the slot keeps its old
// template rather than a mix of both.
bool OverwriteInPlace(const QString& path, const char* data, qsizetype size, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        error = file.errorString();
        return false;
    }
    const QByteArray old = file.readAll();
    if (file.error() != QFileDevice::NoError || !file.seek(0)) {
        error = file.errorString();
        return false;
    }
    if (file.write(data, size) == size && file.resize(size)) {
        error = SyncToDisk(file);
        if (error.isEmpty()) {
            return true;
        }
    } else {
        error = file.errorString();
    }
    if (file.seek(0) && file.write(old) == old.size() && file.resize(old.size())) {
        (void)SyncToDisk(file);
    } else {
        error += QStringLiteral("; the old template could not be put back either");
    }
    return false;
}

// Temporary files of earlier saves of this slot that were cut short (the program killed between
// writing and replacing): the slot's name, a dot and six letters or digits.
void RemoveLeftoverTemporaries(const QString& path) {
    const QFileInfo slot(path);
    const QRegularExpression leftover(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(slot.fileName()) + QStringLiteral("\\.[A-Za-z0-9]{6}")));
    QDir folder = slot.absoluteDir();
    const QStringList candidates =
        folder.entryList({slot.fileName() + QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
    for (const QString& name : candidates) {
        if (leftover.match(name).hasMatch()) {
            folder.remove(name);
        }
    }
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

    // Clear what cut-short saves left first: the temporary names come from a random generator, and
    // a folder cluttered with earlier ones could otherwise run it out of fresh names.
    RemoveLeftoverTemporaries(path);

    // Unbuffered, so that a write that fails (disk full) fails here: QSaveFile does not look at a
    // failure of its final buffer flush and would put a cut-short file in place of the template.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        ThrowSaveError(path, file.errorString());
    }
    QString reason;
    if (file.write(data, size) != size) {
        reason = file.errorString();
    } else {
        reason = SyncToDisk(file);
    }
    if (!reason.isEmpty()) {
        file.cancelWriting();
        ThrowSaveError(path, reason);
    }
    if (file.commit()) {
        RemoveLeftoverTemporaries(path);
        return;
    }
    // The new bytes are safe in the temporary file, but it could not replace the old one (on
    // Windows a reader holding the file open prevents that). Then write over it in place.
    if (file.error() != QFileDevice::RenameError || !QFileInfo(path).isFile()) {
        ThrowSaveError(path, file.errorString()); // the old template is untouched
    }
    QString inPlaceError;
    if (!OverwriteInPlace(path, data, size, inPlaceError)) {
        ThrowSaveError(path, inPlaceError);
    }
    RemoveLeftoverTemporaries(path);
}

void SaveTemplateFile(const QString& fileName, std::span<const TPipEntry> setup) {
    SaveTemplatePath(StreviaDataFolder() + fileName, setup);
}

} // namespace quorvel
