// The designer window driven as an operator drives it, on the offscreen platform, with a hand-off
// file and templates in a temporary data home, no preview engine and no switcher.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "core/presets.h"
#include "designer/engine_preview.h"
#include "designer/frm_quorvel.h"
#include "designer/halt_watchdog.h"
#include "designer/null_preview.h"
#include "designer/pictures.h"
#include "designer/preview_area.h"
#include "designer/property_grid.h"
#include "designer_harness.h"
#include "storage/template_file.h"
#include "util/helpers.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

struct HandoffValues {
    int programme = 1;
    int slot = 2;
    int inputs = 4;
    int format = 20;
    QString caption = QStringLiteral("Estúdio 2");
    int set = 1;
};

const TPipEntry& Entry(const TPipSetup& s, int pip) {
    return s[static_cast<std::size_t>(pip - 1)];
}

QStringList Captions(const PropertyGrid* grid) {
    QStringList captions;
    for (int row = 0; row < grid->RowCount(); ++row) {
        captions << grid->RowCaption(row);
    }
    return captions;
}

int RowOf(const PropertyGrid* grid, const QString& property) {
    for (int row = 0; row < grid->RowCount(); ++row) {
        if (grid->RowPropertyName(row) == property) {
            return row;
        }
    }
    return -1;
}

// Edits a value cell the way the grid's view does when the operator commits an editor.
bool EditCell(PropertyGrid* grid, const QString& property, const QVariant& value,
              int role = Qt::EditRole) {
    QAbstractItemModel* model = grid->View()->model();
    return model->setData(model->index(RowOf(grid, property), 1), value, role);
}

// Closes the next application-modal box that appears and keeps its text.
void CloseNextModalBox(QString* text) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            *text = box->text();
            box->accept();
            poll->deleteLater();
        }
    });
    poll->start(20);
}

} // namespace

class TestDesignerWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_home;

    QString Strevia() const { return m_home->filePath(QStringLiteral("data/Strevia/")); }

    void WriteHandoff(const HandoffValues& v) {
        QStringList lines = {QString::number(v.programme), QString::number(v.slot),
                             QString::number(v.inputs), QString::number(v.format)};
        for (int i = 0; i < 16; ++i) {
            lines << QStringLiteral("0");
        }
        lines << v.caption << QString::number(v.set);
        QFile f(Strevia() + QStringLiteral("Quorvel.dat"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(lines.join(QStringLiteral("\r\n")).toUtf8().prepend("\xEF\xBB\xBF") + "\r\n");
    }

    // Slot 3 of set 1 at 1920 x 1080: "Distribuída 1-2" with picker item 12, PIP 2 on input 3,
    // and a few bytes that a reader ignores, which must survive a load and save.
    static TPipSetup SampleTemplate() {
        TPipSetup s = InitialPipSetup();
        ReadPIPInputs({1, 3, 2, 4}, s);
        LayoutDistributed12(1920, 1080, s);
        StoreProfileIndex(6, s);
        s[0].PIPType = 12;
        s[0].Border = 4;
        s[0].BorderColor = 0x0000FF;
        SetShortStringText(s[0].BackFile, QStringLiteral("C:\\media\\fundo.png"));
        s[1].Padding[1] = 0x5A;
        return s;
    }

    void WriteTemplate(int slot, const TPipSetup& setup) {
        SaveTemplateFile(TemplateFileName(slot, 1, kFullHd), setup);
    }

    static Designer Make(VideoSize video = kFullHd,
                         std::unique_ptr<TCustomSaveDesktop> settings = {}) {
        return MakeDesigner(video, std::move(settings));
    }

    static void Start(Designer& d) { StartDesigner(d); }

    template <typename T = QAbstractButton>
    static T* Control(const TfrmQuorvel& w, const char* name) {
        return test::Control<T>(w, name);
    }

private slots:
    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        UseTemporaryHome(*m_home);
    }

    void startupOpensTheHandoffSlot() {
        WriteHandoff({3, 3, 4, 20, QStringLiteral("Estúdio 2"), 1});
        const TPipSetup sample = SampleTemplate();
        WriteTemplate(3, sample);
        Designer d = Make();
        TfrmQuorvel& w = *d.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel - Estúdio 2"));
        QCOMPARE(w.InputCount(), 4);
        QCOMPARE(w.FatorAjuste(), 10);
        // Before the start timer: the record has its initial content and no slot is shown.
        QCOMPARE(Bytes(w.Struct()), Bytes(InitialPipSetup()));
        QVERIFY(!Control(w, "ButPIP3")->isChecked());

        Start(d);
        QVERIFY(d.preview->started.has_value());
        QCOMPARE(d.preview->started->indexProgram, 3);
        QCOMPARE(d.preview->started->inputCount, 4);
        QCOMPARE(w.Video(), kFullHd);
        QVERIFY(Control(w, "ButPIP3")->isChecked());
        QCOMPARE(Bytes(w.Struct()), Bytes(sample));
        QCOMPARE(Bytes(d.preview->lastPublished), Bytes(sample));
        QVERIFY(Control(w, "Button5")->isChecked()); // ProfileIndex 5: "Distribuída 1-2"
        QCOMPARE(Control<QComboBox>(w, "ComboPIPType")->currentIndex(), 12);
        QCOMPARE(w.InputLists().Shown(2), 3);
        QCOMPARE(w.SelectedPIPObject()->BackFile(), QStringLiteral("C:\\media\\fundo.png"));
        QVERIFY(d.preview->borderRefreshes > 0);

        // The layout is drawn about a second after the start slot was loaded.
        QVERIFY(!w.StartPIP());
        QTRY_VERIFY_WITH_TIMEOUT(w.StartPIP(), kWaitMs);
        QVERIFY(d.preview->composing);
    }

    void startupWithoutHandoffFileUsesDefaults() {
        Designer d = Make();
        TfrmQuorvel& w = *d.window;
        Start(d);
        QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel"));
        QCOMPARE(w.ButtonIndex(), 1);
        QCOMPARE(w.DefIndex(), 1);
        QCOMPARE(w.InputCount(), 4);
        QVERIFY(Control(w, "ButPIP1")->isChecked());
        // No template: the record keeps its initial content; the grid shows the clamped input.
        QCOMPARE(Bytes(w.Struct()), Bytes(InitialPipSetup()));
        QCOMPARE(Control<QComboBox>(w, "ComboPIPType")->currentIndex(), 0);
        QCOMPARE(w.SelectedPIPObject()->RecBottom(), kUnsetMarker);
        QCOMPARE(w.SelectedPIPObject()->InputIndex(), 1);
    }

    void slotZeroOpensNoTileAndStillComposes() {
        WriteHandoff({1, 0, 2, 20, QStringLiteral("x"), 1});
        Designer d = Make();
        Start(d);
        for (int slot = 1; slot <= 6; ++slot) {
            QVERIFY(!d.window->findChild<QAbstractButton*>(QStringLiteral("ButPIP%1").arg(slot))
                         ->isChecked());
        }
        QCOMPARE(d.window->Inspector()->RowCount(), 0); // nothing loaded, nothing to show
        QTRY_VERIFY_WITH_TIMEOUT(d.window->StartPIP(), kWaitMs);

        // "Salvar" with no slot open would write a template that no tile shows.
        QTest::mouseClick(Control(*d.window, "ButtonAplicar"), Qt::LeftButton);
        QVERIFY(d.window->findChild<QMessageBox*>(QStringLiteral("QuorvelMessage")) != nullptr);
        QVERIFY(QDir(Strevia()).entryList({QStringLiteral("PIPTemplate*")}).isEmpty());
        QVERIFY(d.link->sent.empty());
    }

    void previewThatCannotStartIsReportedAndOpensNoSlot() {
        WriteHandoff({});
        Designer d = Make();
        d.preview->failStart = true;
        Start(d);
        auto* box = d.window->findChild<QMessageBox*>(QStringLiteral("QuorvelMessage"));
        QVERIFY(box != nullptr);
        QVERIFY2(box->text().contains(QStringLiteral("no media layer")), qPrintable(box->text()));
        QVERIFY(!Control(*d.window, "ButPIP2")->isChecked());
        QTest::qWait(1300);
        QVERIFY(!d.window->StartPIP());
    }

    void layoutButtonsAndTiles() {
        WriteHandoff({});
        const TPipSetup sample = SampleTemplate();
        WriteTemplate(3, sample);
        Designer d = Make();
        TfrmQuorvel& w = *d.window;
        Start(d);
        auto* picker = Control<QComboBox>(w, "ComboPIPType");
        QCOMPARE(picker->count(), 18);
        QCOMPARE(picker->itemText(0), QStringLiteral(" 0 "));
        QCOMPARE(picker->itemText(17), QStringLiteral(" 17 "));

        QTest::mouseClick(Control(w, "Button2"), Qt::LeftButton); // "Horizontal 3"
        QCOMPARE(picker->currentIndex(), 2);
        QCOMPARE(Entry(w.Struct(), 3).PosX, 1280);
        QCOMPARE(Entry(w.Struct(), 3).Width, 640);
        QCOMPARE(Entry(w.Struct(), 3).RecLeft, 640);
        QCOMPARE(Entry(w.Struct(), 4).Visible, std::uint8_t{0});
        QCOMPARE(Entry(w.Struct(), 1).ProfileIndex, 2);
        // The start slot had no template: its inputs (0) are among no list's items, so every
        // list shows nothing and gives 1.
        for (int pip = 1; pip <= 4; ++pip) {
            QCOMPARE(Entry(w.Struct(), pip).InputIndex, 1);
        }
        QCOMPARE(Bytes(d.preview->lastPublished), Bytes(w.Struct()));

        QTest::mouseClick(Control(w, "Button7"), Qt::LeftButton); // "Único"
        QCOMPARE(picker->currentIndex(), 0);
        QCOMPARE(Entry(w.Struct(), 1).ProfileIndex, 7);
        QCOMPARE(Entry(w.Struct(), 1).PosX, 96);
        QCOMPARE(w.SelectedPIPObject()->PosX(), 96); // the grid follows the preset
        QVERIFY(Control(w, "Button7")->isChecked());
        QVERIFY(!Control(w, "Button2")->isChecked());

        // A slot with a template replaces the layout and presses its layout button.
        QTest::mouseClick(Control(w, "ButPIP3"), Qt::LeftButton);
        QCOMPARE(w.ButtonIndex(), 3);
        QVERIFY(Control(w, "ButPIP3")->isChecked());
        QVERIFY(!Control(w, "ButPIP2")->isChecked());
        QCOMPARE(Bytes(w.Struct()), Bytes(sample));
        QVERIFY(Control(w, "Button5")->isChecked());
        QCOMPARE(picker->currentIndex(), 12);

        // A preset now takes each PIP's input from the loaded template.
        QTest::mouseClick(Control(w, "Button3"), Qt::LeftButton); // "Horizontal 4"
        QCOMPARE(Entry(w.Struct(), 2).InputIndex, 3);
        QCOMPARE(Entry(w.Struct(), 3).InputIndex, 2);
        QCOMPARE(Entry(w.Struct(), 1).Border, 4); // presets keep the borders and files
        QCOMPARE(ShortStringText(Entry(w.Struct(), 1).BackFile),
                 QStringLiteral("C:\\media\\fundo.png"));
        const TPipSetup horizontal4 = w.Struct();

        // A slot without one keeps the layout on screen.
        QTest::mouseClick(Control(w, "ButPIP4"), Qt::LeftButton);
        QCOMPARE(w.ButtonIndex(), 4);
        QCOMPARE(Bytes(w.Struct()), Bytes(horizontal4));
        QVERIFY(Control(w, "Button3")->isChecked());
    }

    void gridRowsFollowTheSelectedPip() {
        WriteHandoff({});
        Designer d = Make();
        TfrmQuorvel& w = *d.window;
        Start(d);
        const QStringList all = {QStringLiteral("Entrada"),       QStringLiteral("PosX"),
                                 QStringLiteral("PosY"),          QStringLiteral("Largura"),
                                 QStringLiteral("Altura"),        QStringLiteral("Rec. Topo"),
                                 QStringLiteral("Rec. Esquerda"), QStringLiteral("Rec .Fundo"),
                                 QStringLiteral("Rec. Direita"),  QStringLiteral("Ativado"),
                                 QStringLiteral("Borda"),         QStringLiteral("Cor Borda"),
                                 QStringLiteral("Imagem Frente"), QStringLiteral("Imagem Fundo")};
        QCOMPARE(Captions(w.Inspector()), all);

        auto* selector = Control<QComboBox>(w, "ComboPIP");
        QVERIFY(!selector->isEditable()); // a PIP from 1 to 4 is always selected
        for (int pip : {2, 3, 4}) {
            selector->setCurrentIndex(pip - 1);
            QCOMPARE(Captions(w.Inspector()), all.mid(0, 12));
        }
        selector->setCurrentIndex(0);
        QCOMPARE(w.Inspector()->RowCount(), 14);
        QCOMPARE(w.Inspector()->RowEditorKind(9), RowEditor::CheckBox);
        QCOMPARE(w.Inspector()->RowEditorKind(12), RowEditor::ButtonText);
        QCOMPARE(w.Inspector()->RowEditorKind(13), RowEditor::ButtonText);
    }

    void gridEditsReachTheRecordOnlyWithAplicar() {
        WriteHandoff({});
        Designer d = Make();
        TfrmQuorvel& w = *d.window;
        Start(d);
        QTest::mouseClick(Control(w, "Button4"), Qt::LeftButton); // "Distribuída 4"
        auto* selector = Control<QComboBox>(w, "ComboPIP");
        PropertyGrid* grid = w.Inspector();

        selector->setCurrentIndex(1);
        const TPipEntry before = Entry(w.Struct(), 2);
        QVERIFY(EditCell(grid, QStringLiteral("PosX"), 123));
        QCOMPARE(w.SelectedPIPObject()->PosX(), 123);
        QCOMPARE(Entry(w.Struct(), 2).PosX, before.PosX);
        selector->setCurrentIndex(2); // leaving without "&Aplicar" drops the edit
        selector->setCurrentIndex(1);
        QCOMPARE(w.SelectedPIPObject()->PosX(), before.PosX);

        QVERIFY(EditCell(grid, QStringLiteral("PosX"), 123));
        QVERIFY(EditCell(grid, QStringLiteral("InputIndex"), 9)); // clamped to the 4 inputs
        QVERIFY(EditCell(grid, QStringLiteral("Visible"), Qt::Unchecked, Qt::CheckStateRole));
        QCOMPARE(w.SelectedPIPObject()->InputIndex(), 4);
        QCOMPARE(w.SelectedPIPObject()->Visible(), false);
        QCOMPARE(Entry(w.Struct(), 2).Visible, std::uint8_t{1});
        // Every edit sets the rows up again without undoing the captions or the check box.
        QCOMPARE(grid->RowCaption(9), QStringLiteral("Ativado"));
        QCOMPARE(grid->RowEditorKind(9), RowEditor::CheckBox);

        const int published = d.preview->published;
        const int refreshed = d.preview->borderRefreshes;
        QTest::mouseClick(Control(w, "btAplicar"), Qt::LeftButton);
        QCOMPARE(Entry(w.Struct(), 2).PosX, 123);
        QCOMPARE(Entry(w.Struct(), 2).InputIndex, 4);
        QCOMPARE(Entry(w.Struct(), 2).Visible, std::uint8_t{0});
        QCOMPARE(Entry(w.Struct(), 2).ProfileIndex, 4);
        QVERIFY(d.preview->published > published);
        QVERIFY(d.preview->borderRefreshes > refreshed);
        QCOMPARE(Bytes(d.preview->lastPublished), Bytes(w.Struct()));
    }

    void salvarWritesTheRecordAndTellsTheSwitcher() {
        WriteHandoff({1, 4, 4, 20, QStringLiteral("x"), 2});
        Designer d = Make();
        TfrmQuorvel& w = *d.window;
        Start(d);
        QTest::mouseClick(Control(w, "Button5"), Qt::LeftButton);   // "Distribuída 1-2"
        Control<QComboBox>(w, "ComboPIPType")->setCurrentIndex(12); // the operator's choice
        QTest::mouseClick(Control(w, "ButtonAplicar"), Qt::LeftButton);

        QCOMPARE(Entry(w.Struct(), 1).PIPType, 12);
        QFile saved(Strevia() + QStringLiteral("PIPTemplate_1920x1080 _4B.DAT"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), Bytes(w.Struct()));
        QCOMPARE(d.link->sent, std::vector<qint32>{1000412});
    }

    void failedSalvarNamesTheFileAndTellsNoOne() {
        WriteHandoff({});
        // A folder where the template should be: the save fails even for root.
        QVERIFY(QDir().mkpath(Strevia() + QStringLiteral("PIPTemplate_1920x1080 _2.DAT")));
        Designer d = Make();
        Start(d);
        QTest::mouseClick(Control(*d.window, "ButtonAplicar"), Qt::LeftButton);
        auto* box = d.window->findChild<QMessageBox*>(QStringLiteral("QuorvelMessage"));
        QVERIFY(box != nullptr);
        QVERIFY2(box->text().contains(QStringLiteral("PIPTemplate_1920x1080 _2.DAT")),
                 qPrintable(box->text()));
        QVERIFY(d.link->sent.empty());
        QVERIFY(d.window->isEnabled());
    }

    void nudgeRepeatsWhileHeld() {
        WriteHandoff({});
        Designer d = Make();
        TfrmQuorvel& w = *d.window;
        Start(d);
        QTest::mouseClick(Control(w, "Button7"), Qt::LeftButton); // PIP 1 at (96, 90), 640 x 360
        auto* right = Control(w, "btMoveHorizontal2");

        QTest::mouseClick(right, Qt::LeftButton);
        QCOMPARE(Entry(w.Struct(), 1).PosX, 106);

        const int start = Entry(w.Struct(), 1).PosX;
        QTest::mousePress(right, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(Entry(w.Struct(), 1).PosX >= start + 20, kWaitMs);
        const int held = Entry(w.Struct(), 1).PosX;
        QCOMPARE((held - start) % 10, 0);
        QTest::mouseRelease(right, Qt::LeftButton);
        QCOMPARE(Entry(w.Struct(), 1).PosX, held + 10); // one step more on release
        QTest::qWait(200);
        QCOMPARE(Entry(w.Struct(), 1).PosX, held + 10); // and no repeat once released

        // "˄" held in Externo mode moves up with no bound.
        auto* up = Control(w, "Button9");
        const int top = Entry(w.Struct(), 1).PosY;
        QTest::mousePress(up, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(Entry(w.Struct(), 1).PosY < top, kWaitMs);
        QTest::mouseRelease(up, Qt::LeftButton);
        QCOMPARE(Entry(w.Struct(), 1).PosX, held + 10);
        QVERIFY(Entry(w.Struct(), 1).PosY < top);

        // The step menu: 2 pixels.
        QAction* two = w.findChild<QAction*>(QStringLiteral("N21"));
        QVERIFY(two != nullptr);
        two->trigger();
        QCOMPARE(w.FatorAjuste(), 2);
        QVERIFY(two->isChecked());
        QVERIFY(!w.findChild<QAction*>(QStringLiteral("N101"))->isChecked());
        const int x = Entry(w.Struct(), 1).PosX;
        QTest::mouseClick(Control(w, "btMoveHorizontal1"), Qt::LeftButton);
        QCOMPARE(Entry(w.Struct(), 1).PosX, x - 2);
    }

    void zoomAndInternoMoves() {
        WriteHandoff({});
        Designer d = Make();
        TfrmQuorvel& w = *d.window;
        Start(d);
        QTest::mouseClick(Control(w, "Button7"), Qt::LeftButton);

        QTest::mouseClick(Control(w, "btZoomMais"), Qt::LeftButton);
        const TPipEntry& e = Entry(w.Struct(), 1);
        QCOMPARE(QRect(e.PosX, e.PosY, e.Width, e.Height), QRect(87, 85, 658, 370));
        QTest::mouseClick(Control(w, "btZoomMenos"), Qt::LeftButton);
        QCOMPARE(QRect(e.PosX, e.PosY, e.Width, e.Height), QRect(96, 90, 640, 360));

        // Interno: a full crop cannot move; zoom in narrows it by 18 and 10.
        QTest::mouseClick(Control<QRadioButton>(w, "RadioAjusteInterno"), Qt::LeftButton);
        QVERIFY(Control<QRadioButton>(w, "RadioAjusteInterno")->isChecked());
        const int refreshed = d.preview->borderRefreshes;
        for (const char* name : {"Button9", "Button11", "btMoveHorizontal1", "btMoveHorizontal2"}) {
            QTest::mouseClick(Control(w, name), Qt::LeftButton);
        }
        QCOMPARE(QRect(QPoint(e.RecLeft, e.RecTop), QPoint(e.RecRight - 1, e.RecBottom - 1)),
                 QRect(0, 0, 1920, 1080));
        QTest::mouseClick(Control(w, "btZoomMais"), Qt::LeftButton);
        QCOMPARE(e.RecLeft, 18);
        QCOMPARE(e.RecTop, 10);
        QCOMPARE(e.RecRight, 1902);
        QCOMPARE(e.RecBottom, 1070);
        QCOMPARE(d.preview->borderRefreshes, refreshed); // the crop needs no border redraw
        QCOMPARE(Bytes(d.preview->lastPublished), Bytes(w.Struct()));

        // Choosing Interno on a PIP whose crop is all zero makes it the whole picture at once.
        QTest::mouseClick(Control<QRadioButton>(w, "RadioAjusteExterno"), Qt::LeftButton);
        QTest::mouseClick(Control(w, "Button1"), Qt::LeftButton); // PIPs 3 and 4 cleared
        Control<QComboBox>(w, "ComboPIP")->setCurrentIndex(2);
        QTest::mouseClick(Control<QRadioButton>(w, "RadioAjusteInterno"), Qt::LeftButton);
        QCOMPARE(Entry(w.Struct(), 3).RecRight, 1920);
        QCOMPARE(Entry(w.Struct(), 3).RecBottom, 1080);
    }

    void atribuirAndCancelar() {
        WriteHandoff({});
        Designer d = Make();
        TfrmQuorvel& w = *d.window;
        Start(d);
        QTest::mouseClick(Control(w, "Button7"), Qt::LeftButton);
        auto* down = Control(w, "Button11");

        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(Entry(w.Struct(), 1).PosY, 100);
        QCOMPARE(w.SelectedPIPObject()->PosY(), 90); // the grid has not followed yet
        QTest::mouseClick(Control(w, "ButtonCancelarAjuste"), Qt::LeftButton);
        QCOMPARE(Entry(w.Struct(), 1).PosY, 90);

        QTest::mouseClick(down, Qt::LeftButton);
        QTest::mouseClick(Control(w, "ButtonAplicarAjuste"), Qt::LeftButton);
        QCOMPARE(w.SelectedPIPObject()->PosY(), 100);
        QCOMPARE(Entry(w.Struct(), 1).PosY, 100);
        QTest::mouseClick(Control(w, "ButtonCancelarAjuste"), Qt::LeftButton);
        QCOMPARE(Entry(w.Struct(), 1).PosY, 100);
    }

    void cropAndBorderMenus() {
        WriteHandoff({});
        Designer d = Make();
        TfrmQuorvel& w = *d.window;
        Start(d);
        QTest::mouseClick(Control(w, "Button7"), Qt::LeftButton);
        const TPipEntry& e = Entry(w.Struct(), 1);

        w.findChild<QAction*>(QStringLiteral("N50Direita1"))->trigger();
        QCOMPARE(e.RecLeft, 960);
        QCOMPARE(e.RecRight, 1920);
        QCOMPARE(e.Width, 320);
        QCOMPARE(w.SelectedPIPObject()->Width(), 320); // the crop presets end with Atribuir
        w.findChild<QAction*>(QStringLiteral("N50ParteDeBaixo1"))->trigger();
        QCOMPARE(e.RecTop, 540);
        QCOMPARE(e.RecBottom, 1080);
        QCOMPARE(e.Height, 180);

        // The border typed into the grid goes to every PIP without "&Aplicar".
        QVERIFY(EditCell(w.Inspector(), QStringLiteral("Border"), 5));
        QVERIFY(EditCell(w.Inspector(), QStringLiteral("BorderColor"), 0x00FF00u));
        w.findChild<QAction*>(QStringLiteral("AplicaremTodosasConfiguraesdeBordas1"))->trigger();
        for (int pip = 1; pip <= 4; ++pip) {
            QCOMPARE(Entry(w.Struct(), pip).Border, 5);
            QCOMPARE(Entry(w.Struct(), pip).BorderColor, 0x00FF00u);
        }
        QCOMPARE(Entry(w.Struct(), 2).PosX, 1184); // nothing else changed
    }

    void fileRowsOpenTheDialogInTheRightFolder() {
        WriteHandoff({});
        Designer d = Make();
        TfrmQuorvel& w = *d.window;
        Start(d);
        const QString pictures = GetSpecialFolder(kCsidlCommonPictures);
        QCOMPARE(w.DefaultFolder(), pictures);
        QVERIFY(QDir().mkpath(m_home->filePath(QStringLiteral("media"))));
        const QString back = m_home->filePath(QStringLiteral("media/back.png"));
        QFile(back).open(QIODevice::WriteOnly);

        PropertyGrid* grid = w.Inspector();
        auto ellipsis = [&](const QString& property) {
            QWidget* editor =
                grid->View()->indexWidget(grid->View()->model()->index(RowOf(grid, property), 1));
            QVERIFY(editor != nullptr);
            auto* button = editor->findChild<QToolButton*>(QStringLiteral("FileRowButton"));
            QVERIFY(button != nullptr);
            QCOMPARE(button->accessibleName(), QStringLiteral("…"));
            QTest::mouseClick(button, Qt::LeftButton);
        };
        auto dialog = [&]() -> QFileDialog* {
            QFileDialog* found = nullptr;
            for (QFileDialog* f : w.findChildren<QFileDialog*>()) {
                if (f->isVisible()) {
                    found = f;
                }
            }
            return found;
        };

        ellipsis(QStringLiteral("BackFile"));
        QFileDialog* open = dialog();
        QVERIFY(open != nullptr);
        QCOMPARE(QDir(open->directory()).canonicalPath(), QDir(pictures).canonicalPath());
        QCOMPARE(open->nameFilters().size(), 5);
        QCOMPARE(open->selectedNameFilter(),
                 QStringLiteral("Imagens (*.jpg *.jpeg *.png *.bmp *.tga)"));
        emit open->fileSelected(back); // what accepting the dialog with that file emits
        open->close();
        QCOMPARE(w.SelectedPIPObject()->BackFile(), QDir::toNativeSeparators(back));
        QCOMPARE(w.DefaultFolder(), QDir::toNativeSeparators(m_home->filePath("media/")));
        QCOMPARE(Entry(w.Struct(), 1).BackFile[0], std::uint8_t{0}); // until "&Aplicar"

        // An empty row starts in the remembered folder; a cancel changes nothing.
        QTRY_VERIFY(dialog() == nullptr);
        ellipsis(QStringLiteral("FrontFile"));
        open = dialog();
        QVERIFY(open != nullptr);
        QCOMPARE(QDir(open->directory()).canonicalPath(),
                 QDir(m_home->filePath("media")).canonicalPath());
        open->reject();
        QVERIFY(w.SelectedPIPObject()->FrontFile().isEmpty());

        QTest::mouseClick(Control(w, "btAplicar"), Qt::LeftButton);
        QCOMPARE(ShortStringText(Entry(w.Struct(), 1).BackFile), QDir::toNativeSeparators(back));
    }

    void closeSavesPlaceAndSizeForTheNextStart() {
        WriteHandoff({});
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QPoint place = screen.topLeft() + QPoint(40, 30);
        {
            Designer d = Make();
            Start(d);
            d.window->move(place);
            d.window->resize(900, 560);
            QVERIFY(d.window->close());
            QCOMPARE(d.preview->showing.back(), false); // the output stops at close
        }
        const QString sav = GetUserDataFolder(QString()) + ExecutableBaseName() + ".sav";
        QVERIFY(QFile::exists(sav));
        Designer again = Make();
        QCOMPARE(again.window->pos(), place);
        QCOMPARE(again.window->size(), QSize(900, 560));

        // A place off every screen comes back onto the primary screen.
        QFile file(sav);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Quorvel]\r\nDesignerPosWindowX=30000\r\nDesignerPosWindowY=20\r\n"
                   "DesignerWindowWidth=-5\r\nDesignerWindowHeight=600\r\n");
        file.close();
        Designer offScreen = Make();
        QCOMPARE(offScreen.window->size(), QSize(1092, 600));
        QVERIFY(std::abs(offScreen.window->geometry().center().x() - screen.center().x()) <= 2);
    }

    void aFailedSettingsWriteIsShownAndTheCloseGoesOn() {
        WriteHandoff({});
        Designer d = Make(kFullHd, std::make_unique<FailingSettings>());
        Start(d);
        QString shown;
        CloseNextModalBox(&shown);
        QVERIFY(d.window->close());
        QVERIFY2(shown.contains(QStringLiteral("quorvel.sav")), qPrintable(shown));
        QCOMPARE(d.preview->showing.back(), false);
        QVERIFY(!d.window->isVisible());
    }

    void previewProportionsFollowTheVideo() {
        WriteHandoff({});
        Designer d = Make();
        TfrmQuorvel& w = *d.window;
        w.resize(1092, 628);
        Start(d);
        PreviewArea* area = w.PreviewAreaPanel();
        // The video is wider than the area: bands above and below, panel at 16:9.
        QTRY_VERIFY_WITH_TIMEOUT(area->VerticalMargin() + area->HorizontalMargin() > 0, kWaitMs);
        const QSize panel = area->Preview()->size();
        QVERIFY2(std::abs(panel.width() * 1080 - panel.height() * 1920) <= 1920 * 8,
                 qPrintable(QStringLiteral("%1x%2").arg(panel.width()).arg(panel.height())));

        // A 4:3 video now: bands left and right.
        d.preview->SetVideoSize({640, 480});
        QTRY_COMPARE_WITH_TIMEOUT(w.Video(), (VideoSize{640, 480}), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(
            std::abs(area->Preview()->width() * 480 - area->Preview()->height() * 640) <= 640 * 8,
            kWaitMs);
        QVERIFY(area->HorizontalMargin() > 0);
        const QSize narrow = area->Preview()->size();

        // A resize refits too: a taller panel is wider at 4:3.
        w.resize(1092, 800);
        QTRY_VERIFY_WITH_TIMEOUT(
            std::abs(area->Preview()->width() * 480 - area->Preview()->height() * 640) <= 640 * 8 &&
                area->Preview()->width() != narrow.width(),
            kWaitMs);
    }

    void marginsStayZeroBeforeTheFirstFrame() {
        WriteHandoff({});
        Designer d = Make(VideoSize{});
        Start(d);
        d.window->resize(1200, 700);
        QTest::qWait(100);
        QCOMPARE(d.window->PreviewAreaPanel()->VerticalMargin(), 0);
        QCOMPARE(d.window->PreviewAreaPanel()->HorizontalMargin(), 0);
        // The start slot's name carries 0 x 0.
        QCOMPARE(d.window->Video(), VideoSize{});
    }

    void minimiseAndRestoreRequests() {
        WriteHandoff({});
        Designer d = Make();
        TfrmQuorvel& w = *d.window;
        Start(d);
        d.link->running = true;
        w.HandleMinimizeRequest();
        QCOMPARE(d.link->sent, std::vector<qint32>{999998});
        QVERIFY(!w.isMinimized());

        d.link->running = false;
        w.HandleMinimizeRequest();
        QVERIFY(w.isMinimized());
        QCOMPARE(d.link->sent.size(), std::size_t{1});
        w.ProcessMessage(2);
        QVERIFY(w.isMinimized());
        d.link->Restore(); // "Quorvel Message" with Info 1
        QVERIFY(!w.isMinimized());

        // Where the window manager minimises first, a running switcher still takes the request
        // and the window comes back as it was.
        d.link->running = true;
        w.showMinimized();
        QCOMPARE(d.link->sent, (std::vector<qint32>{999998, 999998}));
        QTRY_VERIFY_WITH_TIMEOUT(!w.isMinimized(), kWaitMs);
    }

    void destructionReleasesThePreviewAndRunsTheHaltHook() {
        WriteHandoff({});
        Designer d = Make();
        Start(d);
        const QPointer<QObject> preview(d.preview);
        const std::shared_ptr<int> stops = d.preview->stops;
        d.window.reset();
        QCOMPARE(*d.halts, 1);
        QCOMPARE(*stops, 1);
        QVERIFY(preview.isNull()); // the window owned it
    }

    void livePreviewGivesTheVideoSizeAndTheTemplateName() {
        // The real preview on its built-in test inputs: format code 20 is 1280 x 720.
        WriteHandoff({1, 2, 4, 20, QStringLiteral("x"), 1});
        TPipSetup sample = InitialPipSetup();
        LayoutDistributed4(1280, 720, sample);
        SaveTemplateFile(TemplateFileName(2, 1, {1280, 720}), sample);
        DesignerDeps deps;
        auto preview = std::make_unique<EnginePreview>();
        EnginePreview* engine = preview.get();
        deps.preview = std::move(preview);
        deps.link = [](quint64) { return std::make_unique<RecordingLink>(); };
        auto window = std::make_unique<TfrmQuorvel>(std::move(deps));
        window->show();
        QTRY_VERIFY_WITH_TIMEOUT(window->StartTimerDone(), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(window->Video(), (VideoSize{1280, 720}), kWaitMs);
        // The first frame normally comes within the start wait; on a slow machine the slot is
        // opened again once the size is known.
        if (Entry(window->Struct(), 1).Width != 640) {
            QTest::mouseClick(Control(*window, "ButPIP2"), Qt::LeftButton);
        }
        QCOMPARE(Bytes(window->Struct()), Bytes(sample));
        QTRY_VERIFY_WITH_TIMEOUT(window->StartPIP(), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(engine->Engine().LatestFrame() != nullptr, kWaitMs);
        QVERIFY(window->close());
        window.reset(); // stops the sources; must return
    }

    void everyControlHasAnAccessibleName() {
        Designer d = Make();
        for (QWidget* control : d.window->findChildren<QWidget*>()) {
            if (qobject_cast<QAbstractButton*>(control) == nullptr &&
                qobject_cast<QComboBox*>(control) == nullptr) {
                continue;
            }
            if (!control->isVisibleTo(d.window.get()) ||
                (control->parent() != nullptr && qobject_cast<QComboBox*>(control->parent()))) {
                continue; // never shown, or a combo box's own inner parts
            }
            QVERIFY2(!control->accessibleName().isEmpty(),
                     qPrintable(control->objectName() + u' ' + control->metaObject()->className()));
        }
        QCOMPARE(Control(*d.window, "ButPIP1")->accessibleName(), QStringLiteral("PIP A"));
        QCOMPARE(Control(*d.window, "Button9")->accessibleName(), QStringLiteral("˄"));
        QCOMPARE(Control(*d.window, "ButtonAplicar")->accessibleName(), QStringLiteral("Salvar"));
    }

    void layoutPicturesAreDistinct() {
        QSet<QByteArray> seen;
        for (int i = 0; i < kLayoutPictureCount; ++i) {
            const QImage picture = LayoutPicture(i).toImage();
            QCOMPARE(picture.size(), QSize(40, 40));
            const QByteArray pixels(reinterpret_cast<const char*>(picture.constBits()),
                                    picture.sizeInBytes());
            QVERIFY2(!seen.contains(pixels), qPrintable(QString::number(i)));
            seen.insert(pixels);
        }
    }

    void haltEndsAProcessWhoseShutdownHangs() {
        // A child that arms the halt and then hangs, as a release that never returns would.
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUORVEL_HANG_AFTER_HALT"), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted(kWaitMs));
        QVERIFY2(child.waitForFinished(kWaitMs), "the process outlived its halt");
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
    }
};

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsSet("QUORVEL_HANG_AFTER_HALT")) {
        ArmProcessHalt();
        for (;;) {
            QThread::sleep(60);
        }
    }
    QApplication app(argc, argv);
    TestDesignerWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_designer_window.moc"
