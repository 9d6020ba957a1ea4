// Template saves under the faults an operator's machine throws at them: a read-only folder, a full
// file system, a file-size limit, writes and syncs that fail, a replace that is refused, and the
// process killed at every step of a save. Whatever happens, the slot's file is afterwards the old
// template or the new one, byte for byte, and a save that did not happen raises TemplateSaveError.
//
// Each fault runs in a forked child (hardening/fork_child.h), which can also be killed. The
// injected failures come from this executable's own write, fdatasync, linkat and rename, which
// stand in front of the C library's for every caller (Qt included) and pass straight through unless
// a child armed them.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>
#include <poll.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <string>

#include "hardening/fork_child.h"
#include "storage/template_file.h"
#include "support/temp_home.h"

using namespace quorvel;
using quorvel::test::InChild;
using quorvel::test::MountSmallTmpfs;
using quorvel::test::PrivateMounts;

namespace {

enum class Fault {
    None,
    WriteNoSpace,           // every file write stops half way with ENOSPC
    SyncIoError,            // flushing the new bytes to the disk fails with EIO
    ReplaceBusy,            // the replace is refused, as on Windows while the switcher reads
    ReplaceBusyThenIoError, // ... and writing over the file in place then fails half way, once
    StopBeforeLink,         // the new bytes are written, not yet given a name
    StopBeforeReplace,      // the new bytes lie in a named temporary file beside the slot
};

// Armed only in a forked child, before its save.
Fault g_fault = Fault::None;
bool g_replaceRefused = false;
int g_stopPipe = -1;

template <typename Fn>
Fn Next(const char* name) {
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

using WriteFn = ssize_t (*)(int, const void*, size_t);
using SyncFn = int (*)(int);
using LinkatFn = int (*)(int, const char*, int, const char*, int);
using RenameFn = int (*)(const char*, const char*);

ssize_t RealWrite(int fd, const void* buf, size_t n) {
    static const WriteFn real = Next<WriteFn>("write");
    return real(fd, buf, n);
}

// Tells the parent where the child stands, then waits for its SIGKILL.
[[noreturn]] void StopHere() {
    const char stop = 's';
    (void)!RealWrite(g_stopPipe, &stop, 1);
    for (;;) {
        ::pause();
    }
}

// A write that stores half of what it was given and then fails: for good (a full disk), or once
// (a passing I/O error, after which the disk answers again).
ssize_t FailHalfWay(int fd, const void* buf, size_t n, int error, bool once) {
    static int calls = 0;
    ++calls;
    if (calls == 1 && n > 1) {
        return RealWrite(fd, buf, n / 2);
    }
    if (calls == 2 || !once) {
        errno = error;
        return -1;
    }
    return RealWrite(fd, buf, n);
}

} // namespace

extern "C" {

ssize_t write(int fd, const void* buf, size_t n) {
    if (fd > 2 && fd != g_stopPipe) {
        if (g_fault == Fault::WriteNoSpace) {
            return FailHalfWay(fd, buf, n, ENOSPC, false);
        }
        if (g_fault == Fault::ReplaceBusyThenIoError && g_replaceRefused) {
            return FailHalfWay(fd, buf, n, EIO, true);
        }
    }
    return RealWrite(fd, buf, n);
}

int fdatasync(int fd) {
    static const SyncFn real = Next<SyncFn>("fdatasync");
    if (g_fault == Fault::SyncIoError) {
        errno = EIO;
        return -1;
    }
    return real(fd);
}

int linkat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath,
           int flags) noexcept {
    static const LinkatFn real = Next<LinkatFn>("linkat");
    if (g_fault == Fault::StopBeforeLink) {
        StopHere();
    }
    return real(olddirfd, oldpath, newdirfd, newpath, flags);
}

int rename(const char* oldpath, const char* newpath) noexcept {
    static const RenameFn real = Next<RenameFn>("rename");
    if (g_fault == Fault::StopBeforeReplace) {
        StopHere();
    }
    if (g_fault == Fault::ReplaceBusy || g_fault == Fault::ReplaceBusyThenIoError) {
        g_replaceRefused = true;
        errno = EBUSY;
        return -1;
    }
    return real(oldpath, newpath);
}

} // extern "C"

namespace {

// A layout with something in every byte, different for every seed.
TPipSetup Layout(int seed) {
    TPipSetup setup = InitialPipSetup();
    auto* raw = reinterpret_cast<std::uint8_t*>(setup.data());
    for (std::size_t b = 0; b < kPipSetupSize; ++b) {
        raw[b] = static_cast<std::uint8_t>((b * 31 + static_cast<std::size_t>(seed) * 97) & 0xFF);
    }
    return setup;
}

QByteArray Bytes(const TPipSetup& setup) {
    return QByteArray(reinterpret_cast<const char*>(setup.data()), kPipSetupSize);
}

// The file's bytes, or "(missing)".
QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

std::string Describe(const QByteArray& bytes, const TPipSetup& a, const TPipSetup& b) {
    if (bytes == Bytes(a)) {
        return "the old template";
    }
    if (bytes == Bytes(b)) {
        return "the new template";
    }
    return std::to_string(bytes.size()) + " bytes of neither template";
}

// Files in the folder other than the slot's: temporaries a killed save left behind.
std::string Others(const QString& folder, const QString& slotName) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    names.removeAll(slotName);
    return names.join(QStringLiteral(", ")).toStdString();
}

// The save that should fail, in a child: empty when it raised TemplateSaveError.
std::string SaveMustFail(const QString& path, const TPipSetup& layout) {
    try {
        SaveTemplatePath(path, layout);
    } catch (const TemplateSaveError&) {
        return {};
    }
    return "the save reported success";
}

class TemplateSaveFault : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = m_home.Strevia();
        QDir().mkpath(m_folder);
        m_path = m_folder + m_name;
        SaveTemplatePath(m_path, m_old);
        ASSERT_EQ(ReadAll(m_path), Bytes(m_old));
    }

    void ExpectOldTemplate() {
        EXPECT_EQ(Describe(ReadAll(m_path), m_old, m_new), "the old template");
    }

    test::TempHome m_home;
    const QString m_name = QStringLiteral("PIPTemplate_1920x1080 _1.DAT");
    QString m_folder;
    QString m_path;
    const TPipSetup m_old = Layout(1);
    const TPipSetup m_new = Layout(2);
};

} // namespace

TEST_F(TemplateSaveFault, InjectedFailuresRaiseAndKeepTheOldTemplate) {
    struct Case {
        Fault fault;
        const char* what;
    };
    const Case cases[] = {
        {Fault::WriteNoSpace, "disk full while writing"},
        {Fault::SyncIoError, "I/O error while flushing to the disk"},
        {Fault::ReplaceBusyThenIoError, "replace refused, then I/O error writing in place"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SaveTemplatePath(m_path, m_old);
        EXPECT_CHILD_OK(InChild([&] {
            g_fault = c.fault;
            return SaveMustFail(m_path, m_new);
        }));
        ExpectOldTemplate();
        EXPECT_EQ(Others(m_folder, m_name), "");
    }
}

TEST_F(TemplateSaveFault, RefusedReplaceWritesTheNewTemplateInPlace) {
    // On Windows the switcher reading the slot blocks the replace; the save still lands.
    EXPECT_CHILD_OK(InChild([&]() -> std::string {
        g_fault = Fault::ReplaceBusy;
        SaveTemplatePath(m_path, m_new);
        return {};
    }));
    EXPECT_EQ(Describe(ReadAll(m_path), m_old, m_new), "the new template");
    EXPECT_EQ(Others(m_folder, m_name), "");
}

TEST_F(TemplateSaveFault, FileSizeLimitRaisesAndKeepsTheOldTemplate) {
    EXPECT_CHILD_OK(InChild([&] {
        const rlimit limit{1024, 1024};
        ::signal(SIGXFSZ, SIG_IGN);
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return std::string("skip: setrlimit failed");
        }
        return SaveMustFail(m_path, m_new);
    }));
    ExpectOldTemplate();
}

TEST_F(TemplateSaveFault, ReadOnlyFolderRaisesAndKeepsTheOldTemplate) {
    // Root writes through permission bits, so the folder is made read-only by a mount.
    EXPECT_CHILD_OK(InChild([&] {
        if (std::string skip = PrivateMounts(); !skip.empty()) {
            return skip;
        }
        const QByteArray folder = QFile::encodeName(m_folder);
        if (::mount(folder.constData(), folder.constData(), nullptr, MS_BIND, nullptr) != 0 ||
            ::mount(nullptr, folder.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                    nullptr) != 0) {
            return std::string("skip: no read-only bind mount here (") + std::strerror(errno) + ")";
        }
        return SaveMustFail(m_path, m_new);
    }));
    ExpectOldTemplate();
}

TEST_F(TemplateSaveFault, FullFileSystemRaisesAndKeepsTheOldTemplate) {
    const QString mountPoint = m_home.Path() + QStringLiteral("/full");
    QDir().mkpath(mountPoint);
    EXPECT_CHILD_OK(InChild([&] {
        if (std::string skip = PrivateMounts(); !skip.empty()) {
            return skip;
        }
        if (std::string skip = MountSmallTmpfs(QFile::encodeName(mountPoint).toStdString(), 16);
            !skip.empty()) {
            return skip;
        }
        const QString path = mountPoint + u'/' + m_name;
        SaveTemplatePath(path, m_old);
        // Fill what is left.
        QFile filler(mountPoint + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            return std::string("cannot create the filler");
        }
        const QByteArray block(512, 'f');
        while (filler.write(block) == block.size()) {
        }
        filler.close();
        if (std::string failed = SaveMustFail(path, m_new); !failed.empty()) {
            return failed;
        }
        const std::string now = Describe(ReadAll(path), m_old, m_new);
        if (now != "the old template") {
            return "the slot holds " + now;
        }
        return std::string();
    }));
}

TEST(TemplateSaveFaultFolder, FolderReplacedByAFileRaisesWithThePath) {
    test::TempHome home;
    QFile blocker(home.DataHome() + QStringLiteral("/Strevia"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString name = QStringLiteral("PIPTemplate_1920x1080 _2.DAT");
    try {
        SaveTemplateFile(name, Layout(3));
        FAIL() << "a save into a file reported success";
    } catch (const TemplateSaveError& e) {
        EXPECT_NE(std::string(e.what()).find(name.toStdString()), std::string::npos) << e.what();
    }
    EXPECT_TRUE(QFileInfo(blocker.fileName()).isFile());
}

TEST_F(TemplateSaveFault, KilledAtEachStepLeavesTheOldTemplate) {
    struct Case {
        Fault stop;
        const char* what;
    };
    // Unnamed temporary files (O_TMPFILE) come last: a file system without them names the
    // temporary file at once, so that step does not exist there.
    const Case cases[] = {
        {Fault::StopBeforeReplace, "new bytes in a temporary file beside the slot"},
        {Fault::StopBeforeLink, "new bytes written but not yet named"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int round = 0; round < 10; ++round) {
            SaveTemplatePath(m_path, m_old);
            int stop[2];
            ASSERT_EQ(::pipe(stop), 0);
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::close(stop[0]);
                g_stopPipe = stop[1];
                g_fault = c.stop;
                try {
                    SaveTemplatePath(m_path, m_new);
                } catch (...) {
                }
                ::_exit(0); // the save finished without reaching the step: the parent sees EOF
            }
            ::close(stop[1]);
            pollfd waitStop{stop[0], POLLIN, 0};
            char got = 0;
            const bool stopped = ::poll(&waitStop, 1, 60000) == 1 && ::read(stop[0], &got, 1) == 1;
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            ::close(stop[0]);
            if (!stopped && c.stop == Fault::StopBeforeLink) {
                GTEST_SKIP() << "this file system has no unnamed temporary files";
            }
            ASSERT_TRUE(stopped) << "the save never reached the step";
            ExpectOldTemplate();
        }
        if (c.stop == Fault::StopBeforeReplace) {
            // The next save lands and clears what the killed ones left behind.
            EXPECT_NE(Others(m_folder, m_name), "");
            SaveTemplatePath(m_path, m_new);
            EXPECT_EQ(Describe(ReadAll(m_path), m_old, m_new), "the new template");
            EXPECT_EQ(Others(m_folder, m_name), "");
        }
    }
}

TEST_F(TemplateSaveFault, KilledAtRandomMomentsLeavesOneWholeTemplate) {
    // A child saves the two layouts in turn without pause; it is killed after a random wait, at
    // whatever point of a save it has reached.
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> waitMicroseconds(0, 3000);
    for (int round = 0; round < 150; ++round) {
        int started[2];
        ASSERT_EQ(::pipe(started), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(started[0]);
            const char go = 'g';
            (void)!RealWrite(started[1], &go, 1);
            for (int i = 0;; ++i) {
                try {
                    SaveTemplatePath(m_path, i % 2 == 0 ? m_new : m_old);
                } catch (...) {
                    ::_exit(1);
                }
            }
        }
        ::close(started[1]);
        char go = 0;
        ASSERT_EQ(::read(started[0], &go, 1), 1);
        ::close(started[0]);
        ::usleep(static_cast<useconds_t>(waitMicroseconds(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "a save failed in the child";
        const std::string now = Describe(ReadAll(m_path), m_old, m_new);
        ASSERT_TRUE(now == "the old template" || now == "the new template")
            << "round " << round << ": the slot holds " << now;
    }
    SaveTemplatePath(m_path, m_new);
    EXPECT_EQ(Others(m_folder, m_name), "");
}
