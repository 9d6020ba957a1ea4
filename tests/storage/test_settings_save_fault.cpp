// The settings file under the faults of a full disk: the export at close fails with a message, and
// the file keeps every byte it had, the operator's hand-written sections (the input map) included.
// Each fault runs in a forked child (hardening/fork_child.h).

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <signal.h>
#include <sys/resource.h>

#include <cstdlib>
#include <string>

#include "hardening/fork_child.h"
#include "storage/save_desktop.h"
#include "support/temp_home.h"
#include "util/helpers.h"

using namespace quorvel;
using quorvel::test::InChild;

namespace {

const QByteArray kHandWritten = "[Inputs]\n"
                                "StreviaInput1=rtsp://127.0.0.1:8554/camera1\n"
                                "StreviaInput2=/home/operador/clips/abertura.mp4\n"
                                "\n"
                                "[Quorvel]\n"
                                "DesignerPosWindowX=120\n"
                                "DesignerPosWindowY=80\n"
                                "DesignerWindowWidth=1280\n"
                                "DesignerWindowHeight=800\n";

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString DesignerFile(const QString& dataHome) {
    const QString name = ExecutableBaseName();
    return dataHome + u'/' + name + u'/' + name + ".sav";
}

// The designer's close: new geometry, then the export. Empty when it failed with a message (as it
// should), otherwise what went wrong.
std::string CloseMustFail() {
    TSaveDesktop store;
    store.SetRegDiretorio("Quorvel");
    store.SetStyle(TtoStyle::toIniFile);
    store.SetStoreIni(TtoStorePlace::toUserSettingsFolder);
    std::int32_t x = store.AdicionarVariavel("DesignerPosWindowX", &x, kNeverStored);
    QString folder = store.AdicionarVariavel("DefaultFolderOpenImages", &folder, QString());
    x = 640;
    folder = QString(400, u'x'); // more than the file had, so the file must grow
    const QString message = store.TryExportaControles();
    return message.isEmpty() ? "the export at close reported success" : std::string();
}

} // namespace

TEST(SettingsSaveFault, FileSizeLimitFailsTheExportAndKeepsTheFile) {
    test::TempHome home;
    const QString file = DesignerFile(home.DataHome());
    ASSERT_TRUE(WriteAll(file, kHandWritten));
    EXPECT_CHILD_OK(InChild([&] {
        const rlimit limit{256, 256};
        ::signal(SIGXFSZ, SIG_IGN);
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return std::string("skip: setrlimit failed");
        }
        return CloseMustFail();
    }));
    EXPECT_EQ(ReadAll(file).toStdString(), kHandWritten.toStdString());
}

TEST(SettingsSaveFault, FullFileSystemFailsTheExportAndKeepsTheFile) {
    test::TempHome home;
    const QString full = home.Path() + QStringLiteral("/full");
    QDir().mkpath(full);
    EXPECT_CHILD_OK(InChild([&] {
        if (std::string skip = test::PrivateMounts(); !skip.empty()) {
            return skip;
        }
        if (std::string skip = test::MountSmallTmpfs(QFile::encodeName(full).toStdString(), 8);
            !skip.empty()) {
            return skip;
        }
        ::setenv("XDG_DATA_HOME", QFile::encodeName(full).constData(), 1);
        const QString file = DesignerFile(full);
        if (!WriteAll(file, kHandWritten)) {
            return std::string("cannot write the settings file");
        }
        QFile filler(full + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            return std::string("cannot create the filler");
        }
        const QByteArray block(512, 'f');
        while (filler.write(block) == block.size()) {
        }
        filler.close();
        if (std::string failed = CloseMustFail(); !failed.empty()) {
            return failed;
        }
        if (ReadAll(file) != kHandWritten) {
            return "the settings file changed: " + ReadAll(file).toStdString();
        }
        return std::string();
    }));
}
