// Editing the layout on the preview with the mouse and the keyboard, undo and redo, the overlays,
// copying a PIP's look onto another, the checks before "Salvar" and the slot thumbnails.

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

#include <functional>
#include <utility>

#include "core/layout_checks.h"
#include "designer/frm_quorvel.h"
#include "designer/pictures.h"
#include "designer/preview_area.h"
#include "storage/template_file.h"

namespace quorvel {

namespace {

constexpr int kBigStepTimes = 10; // Shift with an arrow key
constexpr int kMinGridSize = 4;
constexpr int kMaxGridSize = 1000;

// Keeps the overlay over the whole preview panel, above the picture.
class OverlayFitter : public QObject {
public:
    OverlayFitter(QWidget* panel, QWidget* overlay)
        : QObject(overlay)
        , m_overlay(overlay) {
        panel->installEventFilter(this);
        m_overlay->setGeometry(panel->rect());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize || event->type() == QEvent::ChildAdded) {
            m_overlay->setGeometry(static_cast<QWidget*>(watched)->rect());
            m_overlay->raise();
        }
        return false;
    }

private:
    QWidget* m_overlay;
};

// The look of a PIP that copy and paste carry: its place, size, crop and border.
void CopyLook(const TPipEntry& from, TPipEntry& to) {
    to.PosX = from.PosX;
    to.PosY = from.PosY;
    to.Width = from.Width;
    to.Height = from.Height;
    to.RecTop = from.RecTop;
    to.RecLeft = from.RecLeft;
    to.RecBottom = from.RecBottom;
    to.RecRight = from.RecRight;
    to.Border = from.Border;
    to.BorderColor = from.BorderColor;
}

struct Choice {
    const char* name;
    QString caption;
};

// A question asked without blocking the window thread: window-modal, gone once answered, with a
// button that goes ahead and "Cancelar" (the default); `go` runs only after the first.
QMessageBox* AskFirst(QWidget* parent, QMessageBox::Icon icon, const char* name,
                      const QString& text, const Choice& yes, const char* cancelName,
                      std::function<void()> go) {
    auto* box = new QMessageBox(icon, parent->windowTitle(), text, QMessageBox::NoButton, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    QPushButton* goButton = box->addButton(yes.caption, QMessageBox::AcceptRole);
    QPushButton* cancel = box->addButton(QStringLiteral("Cancelar"), QMessageBox::RejectRole);
    goButton->setObjectName(QString::fromLatin1(yes.name));
    cancel->setObjectName(QString::fromLatin1(cancelName));
    for (QPushButton* button : {goButton, cancel}) {
        button->setAccessibleName(button->text());
    }
    box->setDefaultButton(cancel);
    QObject::connect(box, &QMessageBox::buttonClicked, parent,
                     [goButton, go = std::move(go)](QAbstractButton* clicked) {
                         if (clicked == goButton) {
                             go();
                         }
                     });
    box->open();
    return box;
}

} // namespace

void TfrmQuorvel::BuildEditing() {
    QWidget* panel = pnCentral->Preview();
    m_overlay = new EditOverlay(panel);
    new OverlayFitter(panel, m_overlay);
    m_overlay->SetRecord(&m_oStruct);
    m_overlay->show();
    m_overlay->raise();
    connect(m_overlay, &EditOverlay::pipPicked, this, &TfrmQuorvel::SelectPip);
    connect(m_overlay, &EditOverlay::dragStarted, this, [this] { m_history.BeginGroup(); });
    connect(m_overlay, &EditOverlay::dragged, this, &TfrmQuorvel::OverlayDragged);
    connect(m_overlay, &EditOverlay::dragFinished, this, &TfrmQuorvel::OverlayDragFinished);

    m_editMenu = BuildEditMenu();
    m_editButton->setMenu(m_editMenu);
    m_overlay->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_overlay, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_editMenu->popup(m_overlay->mapToGlobal(pos)); });
}

QMenu* TfrmQuorvel::BuildEditMenu() {
    auto* menu = new QMenu(QStringLiteral("Editar"), this);
    menu->setObjectName(QStringLiteral("MenuEditar"));
    // Window-wide shortcuts; a text editor with the focus keeps its own Ctrl+Z, Ctrl+C, Ctrl+V.
    auto windowAction = [&](const char* name, const QString& caption, const QKeySequence& keys,
                            auto slot) {
        QAction* action = menu->addAction(caption, this, slot);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        return action;
    };
    // Editing keys act while the preview has the focus, so that the grid and the lists keep
    // their arrow keys and Tab.
    auto previewAction = [&](QMenu* into, const char* name, const QString& caption,
                             const QKeySequence& keys, auto slot) {
        QAction* action = into->addAction(caption, this, slot);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        m_overlay->addAction(action);
        return action;
    };

    m_undoAction = windowAction("AcaoDesfazer", QStringLiteral("Desfazer"), QKeySequence::Undo,
                                &TfrmQuorvel::Undo);
    m_redoAction = windowAction("AcaoRefazer", QStringLiteral("Refazer"),
                                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &TfrmQuorvel::Redo);
    menu->addSeparator();
    windowAction("AcaoCopiar", QStringLiteral("Copiar posição, recorte e borda do PIP"),
                 QKeySequence::Copy, &TfrmQuorvel::CopyPipLook);
    m_pasteAction = windowAction("AcaoColar", QStringLiteral("Colar no PIP selecionado"),
                                 QKeySequence::Paste, &TfrmQuorvel::PastePipLook);
    QAction* all =
        menu->addAction(QStringLiteral("Aplicar a posição deste PIP aos seis modelos..."), this,
                        &TfrmQuorvel::AskApplyGeometryToAllSlots);
    all->setObjectName(QStringLiteral("AcaoAplicarEmTodos"));
    menu->addSeparator();

    previewAction(menu, "AcaoProximoPIP", QStringLiteral("Próximo PIP"), QKeySequence(Qt::Key_Tab),
                  [this] { SelectPip(SelectedPip() % static_cast<int>(kPipCount) + 1); });
    QMenu* move = menu->addMenu(QStringLiteral("Mover"));
    move->setObjectName(QStringLiteral("MenuMover"));
    struct Nudge {
        const char* name;
        const char* caption;
        Qt::Key key;
        int dx;
        int dy;
    };
    const Nudge nudges[] = {
        {"AcaoCima", "Para cima", Qt::Key_Up, 0, -1},
        {"AcaoBaixo", "Para baixo", Qt::Key_Down, 0, 1},
        {"AcaoEsquerda", "Para a esquerda", Qt::Key_Left, -1, 0},
        {"AcaoDireita", "Para a direita", Qt::Key_Right, 1, 0},
    };
    for (const Nudge& n : nudges) {
        previewAction(move, n.name, QString::fromUtf8(n.caption), QKeySequence(n.key),
                      [this, n] { NudgeByKey(n.dx, n.dy, 1); });
    }
    move->addSeparator();
    for (const Nudge& n : nudges) {
        const QString name = QString::fromLatin1(n.name) + QStringLiteral("10");
        previewAction(move, name.toLatin1().constData(),
                      QString::fromUtf8(n.caption) + QStringLiteral(" (10 passos)"),
                      QKeySequence(Qt::SHIFT | n.key),
                      [this, n] { NudgeByKey(n.dx, n.dy, kBigStepTimes); });
    }
    previewAction(menu, "AcaoZoomMais", QStringLiteral("Aumentar"), QKeySequence(Qt::Key_Plus),
                  [this] { ZoomByKey(1); });
    previewAction(menu, "AcaoZoomMenos", QStringLiteral("Diminuir"), QKeySequence(Qt::Key_Minus),
                  [this] { ZoomByKey(-1); });
    // "=" is "+" without Shift on most keyboards.
    QAction* plain = new QAction(m_overlay);
    plain->setShortcut(QKeySequence(Qt::Key_Equal));
    plain->setShortcutContext(Qt::WidgetShortcut);
    connect(plain, &QAction::triggered, this, [this] { ZoomByKey(1); });
    m_overlay->addAction(plain);
    menu->addSeparator();

    auto toggle = [&](const char* name, const QString& caption, bool on, auto apply) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        action->setChecked(on);
        connect(action, &QAction::toggled, this, apply);
        return action;
    };
    toggle("AcaoAreasSeguras", QStringLiteral("Mostrar áreas seguras (90 % e 93 %)"),
           m_bShowSafeAreas, [this](bool on) {
               m_bShowSafeAreas = on;
               ApplyOverlayOptions();
           });
    toggle("AcaoGrade", QStringLiteral("Mostrar grade"), m_bShowGrid, [this](bool on) {
        m_bShowGrid = on;
        ApplyOverlayOptions();
    });
    QAction* size =
        menu->addAction(QStringLiteral("Tamanho da grade..."), this, &TfrmQuorvel::AskGridSize);
    size->setObjectName(QStringLiteral("AcaoTamanhoGrade"));
    toggle("AcaoEncaixe", QStringLiteral("Encaixar em bordas e guias (Ctrl desliga)"), m_bSnapping,
           [this](bool on) {
               m_bSnapping = on;
               ApplyOverlayOptions();
           });

    // The keys, where the operator looks for them.
    QStringList keys;
    for (QAction* action : menu->actions()) {
        if (!action->shortcut().isEmpty()) {
            keys << action->text() + QStringLiteral(": ") +
                        action->shortcut().toString(QKeySequence::NativeText);
        }
    }
    m_editButton->setToolTip(QStringLiteral("Editar\n") + keys.join(u'\n') +
                             QStringLiteral("\nSetas: mover (Shift: 10 passos)"));
    UpdateEditActions();
    return menu;
}

void TfrmQuorvel::ApplyOverlayOptions() {
    m_iGridSize = std::clamp(m_iGridSize, kMinGridSize, kMaxGridSize);
    OverlayOptions options;
    options.safeAreas = m_bShowSafeAreas;
    options.grid = m_bShowGrid;
    options.gridSize = m_iGridSize;
    options.snapping = m_bSnapping;
    m_overlay->SetOptions(options);
}

void TfrmQuorvel::AskGridSize() {
    auto* ask = new QInputDialog(this);
    ask->setObjectName(QStringLiteral("TamanhoGrade"));
    ask->setAttribute(Qt::WA_DeleteOnClose);
    ask->setWindowModality(Qt::WindowModal);
    ask->setWindowTitle(windowTitle());
    ask->setLabelText(QStringLiteral("Tamanho da grade, em pixels do vídeo:"));
    ask->setInputMode(QInputDialog::IntInput);
    ask->setIntRange(kMinGridSize, kMaxGridSize);
    ask->setIntValue(m_iGridSize);
    connect(ask, &QInputDialog::intValueSelected, this, [this](int value) {
        m_iGridSize = value;
        ApplyOverlayOptions();
    });
    ask->open();
}

void TfrmQuorvel::UpdateEditActions() {
    if (m_undoAction != nullptr) {
        m_undoAction->setEnabled(m_history.CanUndo());
        m_redoAction->setEnabled(m_history.CanRedo());
        m_pasteAction->setEnabled(m_copiedLook.has_value());
    }
}

void TfrmQuorvel::Undo() {
    if (m_overlay->Dragging()) {
        return; // the drag's step is not closed yet
    }
    if (const std::optional<TPipSetup> back = m_history.Undo()) {
        RestoreRecord(*back);
    }
}

void TfrmQuorvel::Redo() {
    if (m_overlay->Dragging()) {
        return;
    }
    if (const std::optional<TPipSetup> forward = m_history.Redo()) {
        RestoreRecord(*forward);
    }
}

void TfrmQuorvel::RestoreRecord(const TPipSetup& setup) {
    m_bRestoring = true;
    m_oStruct = setup;
    RecordChanged();
    m_bRestoring = false;
    ShowRecordInputsAndProfile();
    LoadSelectedPIP(); // the grid shows the record again; the borders follow
    UpdateEditActions();
}

void TfrmQuorvel::SelectPip(int pip) {
    if (pip >= 1 && pip <= static_cast<int>(kPipCount)) {
        ComboPIP->setCurrentIndex(pip - 1); // ComboPIPChange loads the grid
        m_overlay->SetSelectedPip(pip);
    }
}

void TfrmQuorvel::NudgeByKey(int dx, int dy, int times) {
    const int step = m_iFatorAjuste * times;
    if (dx != 0) {
        MoveHorizontal(dx * step);
    }
    if (dy != 0) {
        MoveVertical(dy * step);
    }
}

void TfrmQuorvel::ZoomByKey(int direction) {
    ZoomSelectedPIP(direction);
}

void TfrmQuorvel::OverlayDragged(int pip, const TPipEntry& entry) {
    m_oStruct[static_cast<std::size_t>(pip - 1)] = entry;
    RecordChanged();
    RefreshBorders();
}

void TfrmQuorvel::OverlayDragFinished() {
    m_history.EndGroup();
    LoadSelectedPIP(); // the grid follows, as after " Atribuir"
    UpdateEditActions();
}

void TfrmQuorvel::CopyPipLook() {
    m_copiedLook = SelectedEntry();
    UpdateEditActions();
}

void TfrmQuorvel::PastePipLook() {
    if (!m_copiedLook) {
        return;
    }
    CopyLook(*m_copiedLook, SelectedEntry());
    RecordChanged();
    LoadSelectedPIP();
}

void TfrmQuorvel::AskApplyGeometryToAllSlots() {
    const int pip = SelectedPip();
    QStringList names;
    for (int slot = 1; slot <= static_cast<int>(m_tiles.size()); ++slot) {
        names << TemplateFileName(slot, m_iDefIndex, Video());
    }
    AskFirst(
        this, QMessageBox::Question, "AplicarEmTodos",
        QStringLiteral("Aplicar a posição e o tamanho do PIP %1 (%2, %3, %4 x %5) ao PIP %1 dos "
                       "seis modelos? Estes arquivos serão gravados:\n\n%6\n\nModelos que ainda "
                       "não existem são criados a partir do layout atual.")
            .arg(pip)
            .arg(SelectedEntry().PosX)
            .arg(SelectedEntry().PosY)
            .arg(SelectedEntry().Width)
            .arg(SelectedEntry().Height)
            .arg(names.join(u'\n')),
        {"AplicarEmTodosSim", QStringLiteral("Aplicar e gravar")}, "AplicarEmTodosNao",
        [this] { ApplyGeometryToAllSlots(); });
}

void TfrmQuorvel::ApplyGeometryToAllSlots() {
    const int pip = SelectedPip();
    const TPipEntry source = SelectedEntry();
    auto place = [&](TPipSetup& setup) {
        TPipEntry& e = setup[static_cast<std::size_t>(pip - 1)];
        e.PosX = source.PosX;
        e.PosY = source.PosY;
        e.Width = source.Width;
        e.Height = source.Height;
    };
    QStringList failures;
    QStringList untold; // saved slots whose layout picture does not name a switcher layout
    for (int slot = 1; slot <= static_cast<int>(m_tiles.size()); ++slot) {
        // Each file keeps all it holds but this PIP's place; a slot without a file starts from
        // the layout on screen.
        TPipSetup setup = m_oStruct;
        LoadTemplateFile(TemplateFileName(slot, m_iDefIndex, Video()), setup);
        place(setup);
        try {
            SaveTemplateFile(TemplateFileName(slot, m_iDefIndex, Video()), setup);
        } catch (const std::exception& e) {
            failures << QString::fromUtf8(e.what());
            continue;
        }
        if (!m_link->NotifyTemplateSaved(slot, setup[0].PIPType)) {
            untold << QStringLiteral("PIP ") + QChar(u'A' + (slot - 1));
        }
    }
    // The layout on screen takes it too, as an edit that can be undone.
    place(m_oStruct);
    RecordChanged();
    LoadSelectedPIP();
    RefreshSlotThumbnails();
    if (!failures.isEmpty()) {
        ShowMessage(failures.join(u'\n'), true);
    } else if (!untold.isEmpty()) {
        ShowMessage(QStringLiteral("Os modelos foram salvos, mas o switcher não foi avisado de %1: "
                                   "escolha a imagem do layout desses modelos e salve de novo.")
                        .arg(untold.join(QStringLiteral(", "))),
                    false);
    }
}

void TfrmQuorvel::RefreshSlotThumbnails() {
    const VideoSize video = Video();
    for (int slot = 1; slot <= static_cast<int>(m_tiles.size()); ++slot) {
        QToolButton* tile = m_tiles[static_cast<std::size_t>(slot - 1)];
        TPipSetup setup = InitialPipSetup();
        const bool found = video.width > 0 && video.height > 0 &&
                           LoadTemplateFile(TemplateFileName(slot, m_iDefIndex, video), setup);
        tile->setIcon(found ? SlotThumbnailPicture(slot, tile->iconSize(), setup, video)
                            : SlotTilePicture(slot, tile->iconSize().height()));
        tile->setProperty("thumbnail", found);
    }
}

void TfrmQuorvel::ButtonAplicarClick() {
    if (m_iButtonIndex < 1 || m_iButtonIndex > static_cast<int>(m_tiles.size())) {
        ShowMessage(QStringLiteral("Escolha um modelo, de PIP A a PIP F, antes de salvar."), true);
        return;
    }
    if (m_saveCheckBox != nullptr) {
        m_saveCheckBox->raise();
        return; // the list is still open
    }
    const std::vector<LayoutProblem> problems = CheckLayout(m_oStruct, Video(), m_iInputCount);
    if (problems.empty()) {
        SaveSlot(); // one click when all is well
        return;
    }
    QStringList lines;
    for (const LayoutProblem& problem : problems) {
        lines << QStringLiteral("• ") + problem.text;
    }
    m_saveCheckBox = AskFirst(this, QMessageBox::Warning, "VerificacaoSalvar",
                              QStringLiteral("O layout tem problemas:\n\n%1\n\nSalvar mesmo assim?")
                                  .arg(lines.join(u'\n')),
                              {"SalvarAssimMesmo", QStringLiteral("Salvar assim mesmo")},
                              "CancelarSalvar", [this] { SaveSlot(); });
    connect(m_saveCheckBox, &QDialog::finished, this, [this] { m_saveCheckBox = nullptr; });
}

void TfrmQuorvel::SaveSlot() {
    const int picker = ComboPIPType->currentIndex();
    m_oStruct[0].PIPType = picker;
    RecordChanged();
    const QString name = TemplateFileName(m_iButtonIndex, m_iDefIndex, Video());
    try {
        SaveTemplateFile(name, m_oStruct);
    } catch (const std::exception& e) { // TemplateSaveError names the file and the reason
        // The switcher is not told: its template did not change.
        ShowMessage(QString::fromUtf8(e.what()), true);
        return;
    }
    RefreshSlotThumbnails();
    NotifyTemplateSaved(m_iButtonIndex, picker);
}

} // namespace quorvel
