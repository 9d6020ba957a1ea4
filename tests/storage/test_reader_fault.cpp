// The three files the designer reads at start-up, each replaced by something that is not a small
// regular file: a folder, a named pipe with no writer, a link to an endless device, a file far too
// large. Each reader must return at once with its "could not read" answer (a missing template, the
// hand-off defaults, an empty settings section) and never hang the window thread or fill memory.
// Every case runs in a child with an alarm, so that a reader that hangs fails the test instead of
// hanging it.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "hardening/fork_child.h"
#include "storage/handoff.h"
#include "storage/ini_file.h"
#include "storage/template_file.h"

using namespace quorvel;
using quorvel::test::InChild;

namespace {

enum class Oddity { Folder, PipeWithoutWriter, LinkToEndlessDevice, HugeFile };

const char* Name(Oddity o) {
    switch (o) {
    case Oddity::Folder:
        return "a folder";
    case Oddity::PipeWithoutWriter:
        return "a named pipe with no writer";
    case Oddity::LinkToEndlessDevice:
        return "a link to /dev/zero";
    case Oddity::HugeFile:
        return "a 64 MiB file";
    }
    return "";
}

// Puts the oddity at path; empty on success.
std::string Make(Oddity o, const QString& path) {
    const QByteArray p = QFile::encodeName(path);
    switch (o) {
    case Oddity::Folder:
        return QDir().mkpath(path) ? "" : "mkdir failed";
    case Oddity::PipeWithoutWriter:
        return ::mkfifo(p.constData(), 0644) == 0 ? "" : "mkfifo failed";
    case Oddity::LinkToEndlessDevice:
        return ::symlink("/dev/zero", p.constData()) == 0 ? "" : "symlink failed";
    case Oddity::HugeFile: {
        QFile f(path); // sparse: no disk is used
        return f.open(QIODevice::WriteOnly) && f.resize(64LL << 20) ? "" : "resize failed";
    }
    }
    return "unknown oddity";
}

// Runs the reader on the oddity in a child that an alarm ends after 30 seconds.
std::string ReadInChild(Oddity o, const std::function<std::string(const QString&)>& reader) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/file");
    if (std::string failed = Make(o, path); !failed.empty()) {
        return failed;
    }
    return InChild([&] {
        ::alarm(30);
        return reader(path);
    });
}

const Oddity kOddities[] = {Oddity::Folder, Oddity::PipeWithoutWriter, Oddity::LinkToEndlessDevice,
                            Oddity::HugeFile};

} // namespace

TEST(ReaderFault, TemplateReaderRefusesWhatIsNotATemplateFile) {
    for (const Oddity o : kOddities) {
        SCOPED_TRACE(Name(o));
        EXPECT_EQ(ReadInChild(o,
                              [o](const QString& path) -> std::string {
                                  TPipSetup setup = InitialPipSetup();
                                  const bool loaded = LoadTemplatePath(path, setup);
                                  // A huge regular file holds four records at its start (zeros).
                                  if (loaded != (o == Oddity::HugeFile)) {
                                      return loaded ? "loaded" : "not loaded";
                                  }
                                  return {};
                              }),
                  "");
    }
}

TEST(ReaderFault, HandoffReadersFallBackToTheirDefaults) {
    for (const Oddity o : kOddities) {
        SCOPED_TRACE(Name(o));
        EXPECT_EQ(ReadInChild(o,
                              [](const QString& path) -> std::string {
                                  if (ReadHandoffLines(path).has_value()) {
                                      return "lines were read";
                                  }
                                  if (ReadQuantPreview(path) != 4 || ReadButtonIndex(path) != 1 ||
                                      ReadDefIndexAndCaption(path).caption.has_value()) {
                                      return "a value other than the default";
                                  }
                                  return {};
                              }),
                  "");
    }
}

TEST(ReaderFault, SettingsReaderGivesAnEmptySection) {
    for (const Oddity o : kOddities) {
        SCOPED_TRACE(Name(o));
        EXPECT_EQ(
            ReadInChild(o,
                        [](const QString& path) -> std::string {
                            return IniFile::ReadSection(path, QStringLiteral("Quorvel")).isEmpty()
                                       ? ""
                                       : "entries were read";
                        }),
            "");
    }
}
