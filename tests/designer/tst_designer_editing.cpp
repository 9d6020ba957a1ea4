// Editing the layout on the preview with real mouse and key events: drags through the letterbox,
// snapping, undo and redo, the editing keys, copy and paste, the checks before "Salvar" and the
// slot thumbnails.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <memory>
#include <vector>

#include "designer/edit_overlay.h"
#include "designer_harness.h"
#include "storage/template_file.h"
#include "support/pip_fixtures.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

const TPipEntry& Entry(const TPipSetup& s, int pip) {
    return s[static_cast<std::size_t>(pip - 1)];
}

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The message box of that name, once it is open.
QMessageBox* WaitForBox(const TfrmQuorvel& w, const char* name) {
    QMessageBox* box = nullptr;
    (void)QTest::qWaitFor(
        [&] {
            box = w.findChild<QMessageBox*>(QString::fromLatin1(name));
            return box != nullptr && box->isVisible();
        },
        kWaitMs);
    return box;
}

void Click(QMessageBox* box, const char* buttonName) {
    auto* button = box->findChild<QPushButton*>(QString::fromLatin1(buttonName));
    QVERIFY(button != nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class TestDesignerEditing : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_home;

    static QString SlotPath(int slot) {
        return StreviaDataFolder() + TemplateFileName(slot, 1, kFullHd);
    }

    // Starts the designer on slot 1 (no hand-off file: slot 1, set 1, four inputs) holding
    // `setup`, with the window active and the preview's overlay at a letterboxed 800 x 600.
    static Designer StartOn(const TPipSetup& setup) {
        SaveTemplateFile(TemplateFileName(1, 1, kFullHd), setup);
        Designer d = MakeDesigner();
        StartDesigner(d);
        d.window->activateWindow();
        if (!QTest::qWaitForWindowActive(d.window.get())) {
            qWarning("the window did not become active");
        }
        EditOverlay* overlay = d.window->Overlay();
        overlay->setGeometry(0, 0, 800, 600); // 16:9 in 4:3: black bars above and below
        overlay->setFocus();
        return d;
    }

    static QPoint At(const EditOverlay* overlay, double videoX, double videoY) {
        return overlay->ToWidget(QPointF(videoX, videoY)).toPoint();
    }

private slots:
    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        UseTemporaryHome(*m_home);
    }

    void aDragMovesThePipByVideoPixelsThroughTheLetterbox() {
        TPipSetup setup = InitialPipSetup();
        setup[0] = ShownPip(100, 100, 480, 270);
        setup[1] = ShownPip(1300, 700, 480, 270);
        Designer d = StartOn(setup);
        TfrmQuorvel& w = *d.window;
        EditOverlay* overlay = w.Overlay();
        QCOMPARE(overlay->VideoRect(), QRectF(0, 75, 800, 450)); // 2.4 video pixels a pixel

        // A press on PIP 2 selects it; a drag of 80 x 45 screen pixels is 192 x 108 video ones.
        const QPoint from(1540 / 2.4, 75 + 835 / 2.4);
        QTest::mousePress(overlay, Qt::LeftButton, {}, from);
        QCOMPARE(w.SelectedPip(), 2);
        QTest::mouseMove(overlay, from + QPoint(-40, -20));
        QTest::mouseRelease(overlay, Qt::LeftButton, {}, from + QPoint(-80, -45));
        QCOMPARE(Entry(w.Struct(), 2).PosX, 1300 - 192);
        QCOMPARE(Entry(w.Struct(), 2).PosY, 700 - 108);
        QCOMPARE(Entry(w.Struct(), 2).Width, 480);
        QCOMPARE(Bytes(d.preview->lastPublished), Bytes(w.Struct()));
        // The grid follows, and the whole drag is one step to undo.
        QCOMPARE(w.SelectedPIPObject()->PosX(), 1300 - 192);
        QVERIFY(w.CanUndo());
        QTest::keyClick(overlay, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Bytes(w.Struct()), Bytes(setup));

        // The bottom-right handle resizes; a press on the black bar does nothing.
        const QPoint corner = At(overlay, 100 + 480, 100 + 270);
        QTest::mousePress(overlay, Qt::LeftButton, {}, At(overlay, 300, 200)); // select PIP 1
        QTest::mouseRelease(overlay, Qt::LeftButton, {}, At(overlay, 300, 200));
        QTest::mousePress(overlay, Qt::LeftButton, {}, corner);
        QTest::mouseRelease(overlay, Qt::LeftButton, Qt::ControlModifier, corner + QPoint(50, 0));
        QCOMPARE(Entry(w.Struct(), 1).Width, 480 + 120);
        QCOMPARE(Entry(w.Struct(), 1).PosX, 100);
        const QByteArray before = Bytes(w.Struct());
        QTest::mouseClick(overlay, Qt::LeftButton, {}, QPoint(400, 30));
        QCOMPARE(Bytes(w.Struct()), before);

        // Alt on the left handle crops: the edge moves in and the picture inside stays put.
        auto placeAndCrop = [&w] {
            const TPipEntry& e = Entry(w.Struct(), 1);
            return std::pair{QRect(e.PosX, e.PosY, e.Width, e.Height),
                             QRect(e.RecLeft, e.RecTop, e.RecRight, e.RecBottom)};
        };
        const QPoint left = At(overlay, 100, 100 + 135);
        QTest::mousePress(overlay, Qt::LeftButton, {}, left);
        QTest::mouseRelease(overlay, Qt::LeftButton, Qt::AltModifier | Qt::ControlModifier,
                            left + QPoint(50, 0));
        QCOMPARE(placeAndCrop(), std::pair(QRect(220, 100, 480, 270), QRect(384, 0, 1920, 1080)));
        // With "Interno" chosen the handles crop without Alt.
        QTest::mouseClick(Control<QRadioButton>(w, "RadioAjusteInterno"), Qt::LeftButton);
        const QPoint right = At(overlay, 700, 100 + 135);
        QTest::mousePress(overlay, Qt::LeftButton, {}, right);
        QTest::mouseRelease(overlay, Qt::LeftButton, Qt::ControlModifier, right - QPoint(50, 0));
        QCOMPARE(placeAndCrop(), std::pair(QRect(220, 100, 360, 270), QRect(384, 0, 1536, 1080)));
    }

    void aSnapHoldsWithinItsDistanceAndNotBeyondAndCtrlTurnsItOff() {
        TPipSetup setup = InitialPipSetup();
        setup[0] = ShownPip(200, 100, 480, 270);
        setup[1] = ShownPip(1300, 600, 480, 270); // its left edge is the target
        TPipEntry hidden = ShownPip(1285, 100, 480, 270);
        hidden.Visible = 0;
        setup[2] = hidden; // never a target
        Designer d = StartOn(setup);
        TfrmQuorvel& w = *d.window;
        EditOverlay* overlay = w.Overlay();
        // 8 screen pixels snap: 19.2 video pixels here. PIP 1's right edge is at 680.
        const QPoint grab = At(overlay, 400, 200);
        struct Case {
            int offsetScreenPx; // how far left of 1000 the edge is dropped, in screen pixels
            Qt::KeyboardModifiers modifiers;
            int expectedRight;
        };
        const Case cases[] = {
            {7, {}, 1300},                  // within: snaps
            {9, {}, 1278},                  // beyond, though near a hidden PIP's edge: no snap
            {7, Qt::ControlModifier, 1282}, // Ctrl: no snap
        };
        for (const Case& c : cases) {
            const int dx = (1300 - 680) / 2.4 - c.offsetScreenPx;
            QTest::mousePress(overlay, Qt::LeftButton, {}, grab);
            QTest::mouseMove(overlay, grab + QPoint(dx, 0));
            if (c.modifiers == Qt::NoModifier && c.offsetScreenPx == 7) {
                QVERIFY(overlay->Guides().end() != std::find(overlay->Guides().begin(),
                                                             overlay->Guides().end(),
                                                             SnapGuide{true, 1300}));
            }
            QTest::mouseRelease(overlay, Qt::LeftButton, c.modifiers, grab + QPoint(dx, 0));
            const TPipEntry& e = Entry(w.Struct(), 1);
            QCOMPARE(e.PosX + e.Width, c.expectedRight);
            QVERIFY(overlay->Guides().empty()); // the guides go with the drag
            QTest::keyClick(overlay, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(Bytes(w.Struct()), Bytes(setup));
        }
    }

    void undoAndRedoGiveBackTheExactBytesAfterALongRandomSequenceOfEdits() {
        TPipSetup setup = InitialPipSetup();
        for (int i = 0; i < 4; ++i) {
            setup[static_cast<std::size_t>(i)] = ShownPip(100 + 400 * i, 200, 320, 180, i + 1);
        }
        setup[1].Padding[2] = 0x77; // bytes no control shows must come back too
        Designer d = StartOn(setup);
        TfrmQuorvel& w = *d.window;
        EditOverlay* overlay = w.Overlay();
        auto* interno = Control<QRadioButton>(w, "RadioAjusteInterno");
        auto* externo = Control<QRadioButton>(w, "RadioAjusteExterno");

        QRandomGenerator random(1234);
        std::vector<QByteArray> states{Bytes(w.Struct())};
        for (int i = 0; i < 120; ++i) {
            switch (random.bounded(8)) {
            case 0:
                QTest::keyClick(overlay, Qt::Key_Left);
                break;
            case 1:
                QTest::keyClick(overlay, Qt::Key_Down, Qt::ShiftModifier);
                break;
            case 2:
                QTest::keyClick(overlay, random.bounded(2) ? Qt::Key_Plus : Qt::Key_Minus);
                break;
            case 3:
                QTest::keyClick(overlay, Qt::Key_Tab); // selects only: no step
                break;
            case 4: {
                const TPipEntry& e = Entry(w.Struct(), w.SelectedPip());
                const QPoint from = At(overlay, e.PosX + e.Width / 2.0, e.PosY + e.Height / 2.0);
                QTest::mousePress(overlay, Qt::LeftButton, {}, from);
                QTest::mouseMove(overlay, from + QPoint(random.bounded(-30, 30), 5));
                QTest::mouseRelease(overlay, Qt::LeftButton, {},
                                    from +
                                        QPoint(random.bounded(-60, 60), random.bounded(-40, 40)));
                break;
            }
            case 5: {
                static const char* presets[] = {"Button1", "Button4", "Button5", "Button7"};
                QTest::mouseClick(Control(w, presets[random.bounded(4)]), Qt::LeftButton);
                break;
            }
            case 6:
                QTest::mouseClick(random.bounded(2) ? interno : externo, Qt::LeftButton);
                overlay->setFocus();
                break;
            default:
                QTest::mouseClick(Control(w, "Button9"), Qt::LeftButton); // "˄"
                QCoreApplication::processEvents(); // as between two actions of the operator
                overlay->setFocus();
                break;
            }
            if (Bytes(w.Struct()) != states.back()) {
                states.push_back(Bytes(w.Struct()));
            }
        }
        QVERIFY(states.size() > 40);
        for (std::size_t i = states.size() - 1; i > 0; --i) {
            QTest::keyClick(overlay, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(Bytes(w.Struct()), states[i - 1]);
        }
        QVERIFY(!w.CanUndo());
        QCOMPARE(Bytes(d.preview->lastPublished), Bytes(setup));
        for (std::size_t i = 1; i < states.size(); ++i) {
            QTest::keyClick(overlay, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(Bytes(w.Struct()), states[i]);
        }
        QVERIFY(!w.CanRedo());
        // The grid shows the record it came back to.
        QCOMPARE(w.SelectedPIPObject()->PosX(), Entry(w.Struct(), w.SelectedPip()).PosX);
    }

    void theEditingKeysNudgeZoomAndSelect() {
        TPipSetup setup = InitialPipSetup();
        setup[0] = ShownPip(400, 300, 480, 270);
        setup[1] = ShownPip(1000, 300, 480, 270);
        Designer d = StartOn(setup);
        TfrmQuorvel& w = *d.window;
        EditOverlay* overlay = w.Overlay();
        QCOMPARE(w.FatorAjuste(), 10);
        QTest::keyClick(overlay, Qt::Key_Right);
        QTest::keyClick(overlay, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(Entry(w.Struct(), 1).PosX, 410);
        QCOMPARE(Entry(w.Struct(), 1).PosY, 200);
        QTest::keyClick(overlay, Qt::Key_Plus);
        QVERIFY(Entry(w.Struct(), 1).Width > 480);
        QTest::keyClick(overlay, Qt::Key_Tab);
        QCOMPARE(w.SelectedPip(), 2);
        QCOMPARE(Control<QComboBox>(w, "ComboPIP")->currentIndex(), 1);
        // Interno: the keys move the crop, not the PIP.
        QTest::mouseClick(Control<QRadioButton>(w, "RadioAjusteInterno"), Qt::LeftButton);
        overlay->setFocus();
        QTest::keyClick(overlay, Qt::Key_Down);
        QCOMPARE(Entry(w.Struct(), 2).PosY, 300);
        QCOMPARE(Entry(w.Struct(), 2).RecTop, 0); // the whole picture cannot move down further
        // The keys are listed where the operator looks for them.
        const QString tip = Control<QToolButton>(w, "ButtonEditar")->toolTip();
        QVERIFY2(tip.contains(QStringLiteral("Ctrl+Z")) && tip.contains(QStringLiteral("Tab")),
                 qPrintable(tip));
    }

    void copyAndPasteAndApplyToAllSlots() {
        TPipSetup setup = InitialPipSetup();
        setup[0] = ShownPip(40, 50, 600, 300);
        setup[0].RecLeft = 10;
        setup[0].RecTop = 20;
        setup[0].RecRight = 1900;
        setup[0].RecBottom = 1000;
        setup[0].Border = 6;
        setup[0].BorderColor = 0x00FF00;
        setup[1] = ShownPip(1000, 600, 320, 180, 2);
        TPipSetup other = InitialPipSetup();
        other[1] = ShownPip(5, 5, 100, 100, 3);
        SetShortStringText(other[0].BackFile, QStringLiteral("fundo3.png"));
        SaveTemplateFile(TemplateFileName(3, 1, kFullHd), other);
        Designer d = StartOn(setup);
        TfrmQuorvel& w = *d.window;
        EditOverlay* overlay = w.Overlay();

        QTest::keyClick(overlay, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(overlay, Qt::Key_Tab);
        QTest::keyClick(overlay, Qt::Key_V, Qt::ControlModifier);
        const TPipEntry& pasted = Entry(w.Struct(), 2);
        QCOMPARE(QRect(pasted.PosX, pasted.PosY, pasted.Width, pasted.Height),
                 QRect(40, 50, 600, 300));
        QCOMPARE(QRect(pasted.RecLeft, pasted.RecTop, pasted.RecRight, pasted.RecBottom),
                 QRect(10, 20, 1900, 1000));
        QCOMPARE(pasted.Border, 6);
        QCOMPARE(pasted.BorderColor, 0x00FF00u);
        QCOMPARE(pasted.InputIndex, 2); // the input stays

        // Every slot's PIP 2 takes this place after a confirmation naming the six files.
        w.findChild<QAction*>(QStringLiteral("AcaoAplicarEmTodos"))->trigger();
        QMessageBox* box = WaitForBox(w, "AplicarEmTodos");
        QVERIFY(box != nullptr);
        for (int slot = 1; slot <= 6; ++slot) {
            QVERIFY(box->text().contains(TemplateFileName(slot, 1, kFullHd)));
        }
        Click(box, "AplicarEmTodosSim");
        for (int slot = 1; slot <= 6; ++slot) {
            TPipSetup saved = InitialPipSetup();
            QVERIFY(LoadTemplatePath(SlotPath(slot), saved));
            const TPipEntry& e = Entry(saved, 2);
            QCOMPARE(QRect(e.PosX, e.PosY, e.Width, e.Height), QRect(40, 50, 600, 300));
        }
        TPipSetup third = InitialPipSetup();
        QVERIFY(LoadTemplatePath(SlotPath(3), third));
        QCOMPARE(ShortStringText(third[0].BackFile), QStringLiteral("fundo3.png"));
        QCOMPARE(Entry(third, 2).InputIndex, 3);
        QCOMPARE(Entry(third, 2).RecBottom, kUnsetMarker); // its crop is its own
    }

    void theChecksBeforeSavingListEachProblemAndSavingStaysOneClickWhenAllIsWell() {
        TPipSetup bad = InitialPipSetup();
        bad[0] = ShownPip(100, 100, 0, 270);   // no size
        bad[1] = ShownPip(100, 100, 480, 270); // crop outside the input picture
        bad[1].RecLeft = -10;
        bad[1].RecTop = 0;
        bad[1].RecRight = 1920;
        bad[1].RecBottom = 1080;
        bad[2] = ShownPip(2000, 100, 480, 270);   // entirely outside
        bad[3] = ShownPip(100, 500, 480, 270, 7); // input 7 of 4
        Designer d = StartOn(bad);
        TfrmQuorvel& w = *d.window;
        const QByteArray onDisk = FileBytes(SlotPath(1));

        QTest::mouseClick(Control(w, "ButtonAplicar"), Qt::LeftButton);
        QMessageBox* box = WaitForBox(w, "VerificacaoSalvar");
        QVERIFY(box != nullptr);
        for (const char* expected :
             {"PIP 1: tamanho 0 x 270", "PIP 2: recorte (-10, 0)",
              "PIP 3: em (2000, 100), inteiramente fora", "PIP 4: entrada 7, mas há 4 entradas"}) {
            QVERIFY2(box->text().contains(QString::fromUtf8(expected)), qPrintable(box->text()));
        }
        Click(box, "CancelarSalvar");
        QTRY_VERIFY_WITH_TIMEOUT(
            w.findChild<QMessageBox*>(QStringLiteral("VerificacaoSalvar")) == nullptr, kWaitMs);
        QCOMPARE(FileBytes(SlotPath(1)), onDisk);
        QVERIFY(d.link->sent.empty());

        QTest::mouseClick(Control(w, "ButtonAplicar"), Qt::LeftButton);
        box = WaitForBox(w, "VerificacaoSalvar");
        QVERIFY(box != nullptr);
        Control<QComboBox>(w, "ComboPIPType")->setCurrentIndex(2);
        Click(box, "SalvarAssimMesmo");
        QTRY_VERIFY_WITH_TIMEOUT(
            w.findChild<QMessageBox*>(QStringLiteral("VerificacaoSalvar")) == nullptr, kWaitMs);
        QCOMPARE(FileBytes(SlotPath(1)), Bytes(w.Struct()));
        QCOMPARE(d.link->sent.size(), std::size_t(1));

        // A sound layout saves at the first click, with no list.
        TPipSetup good = InitialPipSetup();
        good[0] = ShownPip(100, 100, 480, 270);
        SaveTemplateFile(TemplateFileName(2, 1, kFullHd), good);
        QTest::mouseClick(Control(w, "ButPIP2"), Qt::LeftButton);
        QTest::mouseClick(Control(w, "ButtonAplicar"), Qt::LeftButton);
        QVERIFY(w.findChild<QMessageBox*>(QStringLiteral("VerificacaoSalvar")) == nullptr);
        QCOMPARE(d.link->sent.size(), std::size_t(2));
    }

    void slotTilesShowTheirTemplatesAndFollowASave() {
        TPipSetup setup = InitialPipSetup();
        setup[0] = ShownPip(0, 0, 960, 1080);
        Designer d = StartOn(setup);
        TfrmQuorvel& w = *d.window;
        auto* first = Control<QToolButton>(w, "ButPIP1");
        auto* second = Control<QToolButton>(w, "ButPIP2");
        QVERIFY(first->property("thumbnail").toBool());
        QVERIFY(!second->property("thumbnail").toBool()); // no template: the plain tile
        const QImage before = first->icon().pixmap(first->iconSize()).toImage();
        // The left half is PIP-coloured, the right half the screen's.
        QVERIFY(before.pixelColor(16, 8) != before.pixelColor(30, 8));

        QTest::mouseClick(Control(w, "Button7"), Qt::LeftButton); // "Único": a different layout
        QTest::mouseClick(Control(w, "ButtonAplicar"), Qt::LeftButton);
        QVERIFY(w.findChild<QMessageBox*>(QStringLiteral("VerificacaoSalvar")) == nullptr);
        const QImage after = first->icon().pixmap(first->iconSize()).toImage();
        QVERIFY(after != before);
    }
};

QTEST_MAIN(TestDesignerEditing)
#include "tst_designer_editing.moc"
