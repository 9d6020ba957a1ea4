#pragma once
// Shared by the fuzz targets: a scratch file that each input is written to (the readers take a
// path, as the designer's do), and a check that turns a broken promise into a crash libFuzzer
// records.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace quorvel::fuzz {

[[noreturn]] inline void Broken(const char* what, const char* file, int line) {
    std::fprintf(stderr, "fuzz check failed at %s:%d: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            ::quorvel::fuzz::Broken(#cond, __FILE__, __LINE__);                                    \
        }                                                                                          \
    } while (false)

// A file of this process in /dev/shm when it exists (memory, so millions of runs cost no disk),
// otherwise in the temporary folder. Removed at exit.
class ScratchFile {
public:
    explicit ScratchFile(const QString& name) {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath();
        m_dir = QStringLiteral("%1/quorvel-fuzz-%2").arg(base).arg(::getpid());
        QDir().mkpath(m_dir);
        m_path = m_dir + u'/' + name;
    }
    ~ScratchFile() { QDir(m_dir).removeRecursively(); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const QString& Path() const { return m_path; }
    const QString& Folder() const { return m_dir; }

    // Replaces the file's content with the input.
    void Write(const std::uint8_t* data, std::size_t size) const {
        QFile file(m_path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) ==
                   static_cast<qint64>(size));
    }

private:
    QString m_dir;
    QString m_path;
};

inline QByteArray Bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

} // namespace quorvel::fuzz
