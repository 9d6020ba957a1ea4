// The designer's settings file: values come back, other sections survive a write, and a write
// that cannot happen says so.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "designer/ini_settings.h"

namespace quorvel {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(IniSettings, FirstRunGivesDefaultsAndExportWritesRegistrationOrder) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quorvel.sav"));
    IniSettings store(path, QStringLiteral("Quorvel"));
    qint32 x = store.AdicionarVariavel(QStringLiteral("DesignerPosWindowX"), &x, -99999);
    QString folder;
    folder = store.AdicionarVariavel(QStringLiteral("DefaultFolderOpenImages"), &folder,
                                     QStringLiteral("/pics"));
    EXPECT_EQ(x, -99999);
    EXPECT_EQ(folder, QStringLiteral("/pics"));

    x = 120;
    folder = QStringLiteral("/media/");
    store.ExportaControles();
    EXPECT_EQ(
        ReadAll(path),
        QByteArray("[Quorvel]\r\nDesignerPosWindowX=120\r\nDefaultFolderOpenImages=/media/\r\n"));

    IniSettings again(path, QStringLiteral("Quorvel"));
    qint32 y = 0;
    EXPECT_EQ(again.AdicionarVariavel(QStringLiteral("DesignerPosWindowX"), &y, -99999), 120);
}

TEST(IniSettings, KeepsTheInputsSectionAndReadsANonNumberAsZero) {
    // The preview's input mapping lives in the same file; losing it would unmap every input.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quorvel.sav"));
    WriteAll(path, "[Inputs]\r\nStreviaInput1=rtsp://cam1\r\n\r\n[Quorvel]\r\n"
                   "DesignerPosWindowX=abc\r\nDesignerWindowWidth=900\r\n");
    IniSettings store(path, QStringLiteral("Quorvel"));
    qint32 x = 0;
    qint32 height = 0;
    x = store.AdicionarVariavel(QStringLiteral("DesignerPosWindowX"), &x, -99999);
    height = store.AdicionarVariavel(QStringLiteral("DesignerWindowHeight"), &height, -99999);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(height, -99999);
    x = 7;
    height = 500;
    store.ExportaControles();
    EXPECT_EQ(ReadAll(path), QByteArray("[Inputs]\r\nStreviaInput1=rtsp://cam1\r\n\r\n[Quorvel]\r\n"
                                        "DesignerPosWindowX=7\r\nDesignerWindowWidth=900\r\n"
                                        "DesignerWindowHeight=500\r\n"));
}

TEST(IniSettings, AnUnwritableFileThrowsWithItsName) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quorvel.sav"));
    ASSERT_TRUE(QDir().mkpath(path)); // a folder where the file should be: even root cannot write
    IniSettings store(path, QStringLiteral("Quorvel"));
    qint32 x = 1;
    store.AdicionarVariavel(QStringLiteral("DesignerPosWindowX"), &x, -99999);
    try {
        store.ExportaControles();
        FAIL() << "the export reported success";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("quorvel.sav"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace quorvel
