// The preview surface with a running engine on the built-in test sources: the newest frame fitted
// (letterboxed) to the widget, the "show" operation, and a stop that never holds up the window.

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include "designer/preview_surface.h"
#include "preview/preview_engine.h"

using namespace quorvel;

class TestPreviewSurface : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_home.isValid());
        qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
    }

    void showsTheComposedFrameLetterboxed() {
        PreviewEngine engine;
        engine.InitVideo(20); // 1280 x 720
        PreviewStartup startup;
        startup.inputCount = 2;
        startup.handoffPath = m_home.filePath(QStringLiteral("none.dat"));
        startup.executableFolder = m_home.path();
        startup.settingsPath = m_home.filePath(QStringLiteral("none.sav"));
        QSignalSpy refits(&engine, &PreviewEngine::videoSizeChanged);
        engine.StartPreview(startup);

        PreviewSurface surface;
        QVERIFY(!surface.accessibleName().isEmpty());
        surface.resize(400, 400);
        surface.SetEngine(&engine);
        surface.show();
        QTRY_VERIFY_WITH_TIMEOUT(engine.LatestFrame() != nullptr, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(refits.count(), 1, 10000);
        QCOMPARE(refits.first().at(0).toInt(), 1280);
        QCOMPARE(refits.first().at(1).toInt(), 720);
        QCOMPARE(surface.VideoRect(), QRectF(0, 87.5, 400, 225));

        const QImage shot = surface.grab().toImage();
        QCOMPARE(QColor(shot.pixel(200, 40)), QColor(Qt::black));   // letterbox band
        QVERIFY(QColor(shot.pixel(200, 200)) != QColor(Qt::black)); // the test source's field

        surface.SetShowing(false);
        QCOMPARE(QColor(surface.grab().toImage().pixel(200, 200)), QColor(Qt::black));

        QElapsedTimer timer;
        timer.start();
        engine.StopPreview();
        QVERIFY2(timer.elapsed() < 1000, "stopping the preview must not hold up the window");
    }

    void noEngineShowsBlackAndNoVideoRect() {
        PreviewSurface surface;
        surface.resize(100, 50);
        QVERIFY(surface.VideoRect().isEmpty());
        QCOMPARE(QColor(surface.grab().toImage().pixel(50, 25)), QColor(Qt::black));
    }

private:
    QTemporaryDir m_home;
};

QTEST_MAIN(TestPreviewSurface)
#include "tst_preview_surface.moc"
