// Start-up and shutdown of the designer window, its timers, and the one place where the record's
// changes reach the preview.

#include "designer/frm_quorvel.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QMessageBox>
#include <QShowEvent>
#include <QTimer>
#include <QToolButton>

#include <exception>

#include "designer/null_link.h"
#include "designer/null_preview.h"
#include "designer/preview_area.h"
#include "designer/property_grid.h"
#include "storage/handoff.h"
#include "util/helpers.h"

namespace quorvel {

namespace {

constexpr int kStartWaitMs = 500;      // lets the preview see its first frame
constexpr int kStartPIPDelayMs = 1000; // then the layout is drawn onto the preview
constexpr int kCloseWaitMs = 500;      // lets the playback worker go idle

// Runs one guarded step: an error ends only that step.
template <typename Step>
void Guarded(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

} // namespace

std::unique_ptr<TSaveDesktop> MakeDesignerSaveDesktop() {
    auto store = std::make_unique<TSaveDesktop>();
    store->SetRegDiretorio(QStringLiteral("Quorvel"));
    store->SetHKey(ThKey::hkCurrentUser);
    store->SetStyle(TtoStyle::toIniFile);
    store->SetStoreIni(TtoStorePlace::toUserSettingsFolder);
    store->SetCustomUserSettingsFolder(QString());
    return store;
}

TfrmQuorvel::TfrmQuorvel(DesignerDeps deps, QWidget* parent)
    : QMainWindow(parent)
    , m_preview(std::move(deps.preview))
    , SaveDesktop1(std::move(deps.settings))
    , m_taskHalt(std::move(deps.taskHalt)) {
    if (!m_preview) {
        m_preview = std::make_unique<NullPreview>();
    }
    if (!SaveDesktop1) {
        SaveDesktop1 = MakeDesignerSaveDesktop();
    }
    BuildWindow();
    if (deps.link) {
        Guarded([&] { m_link = deps.link(static_cast<quint64>(winId())); });
    }
    if (!m_link) {
        m_link = std::make_unique<NullLink>(static_cast<quint64>(winId()));
    }
    connect(m_link.get(), &SwitcherLink::restoreRequested, this,
            [this] { ProcessMessage(kRestoreInfo); });
    connect(m_preview.get(), &PreviewPort::videoSizeChanged, this, &TfrmQuorvel::VideoSizeChanged);
    FormCreate();
}

TfrmQuorvel::~TfrmQuorvel() {
    FormDestroy();
}

int TfrmQuorvel::SelectedPip() const {
    return ComboPIP->currentIndex() + 1;
}

TPipEntry& TfrmQuorvel::SelectedEntry() {
    const int pip = std::clamp(SelectedPip(), 1, static_cast<int>(kPipCount));
    return m_oStruct[static_cast<std::size_t>(pip - 1)];
}

void TfrmQuorvel::RecordChanged() {
    m_preview->PublishLayout(m_oStruct);
    if (!m_bRestoring && m_history.Record(m_oStruct)) {
        UpdateEditActions();
    }
    if (m_overlay != nullptr) {
        m_overlay->update();
    }
}

void TfrmQuorvel::RefreshBorders() {
    m_preview->RefreshBorders(m_oStruct);
}

void TfrmQuorvel::FormCreate() {
    m_iFatorAjuste = kDefaultAdjustStep;
    m_bClosing = false;
    m_bDoingUp = m_bDoingDown = m_bDoingLeft = m_bDoingRight = m_bDoingIn = m_bDoingOut = false;
    m_bStartPIP = false;

    // Each value falls back to its default on its own, so a damaged hand-off file cannot leave
    // the window without its selected-PIP object, its crop markers or its geometry.
    const QString handoff = GetHandoffFileName();
    int quant = 4;
    Guarded([&] { quant = ClampInputCount(ReadQuantPreview(handoff)); });
    SetQuantPreview(quant);
    m_iIndexProgram = 1;
    Guarded([&] { m_iIndexProgram = ReadIndexProgram(handoff); });
    m_iButtonIndex = 1;
    Guarded([&] { m_iButtonIndex = ClampSlot(ReadButtonIndex(handoff)); });
    m_iDefIndex = 1;
    Guarded([&] {
        const DefIndexAndCaption read = ReadDefIndexAndCaption(handoff);
        m_iDefIndex = read.defIndex;
        if (read.caption) {
            setWindowTitle(*read.caption);
        }
    });
    Guarded([&] { m_preview->InitVideo(ReadVideoFormat(handoff)); });
    m_iVideoWidth = 0;
    m_iVideoHeight = 0;
    pnCentral->SetMargins(0, 0);
    Guarded([&] { m_preview->LoadTransparentFrame(ExecutableFolder()); });

    m_oSelectedPIP = std::make_unique<TPIPObject>();
    m_oSelectedPIP->SetInputCount(m_iInputCount);
    m_oStruct = InitialPipSetup();
    m_history.Reset(m_oStruct);
    RecordChanged();
    FillPIPTypeList();

    Guarded([&] { LoadWindowGeometry(); });
    Guarded([&] {
        const QString fallback = GetSpecialFolder(kCsidlCommonPictures);
        m_sDefaultFolder = fallback;
        m_sDefaultFolder = SaveDesktop1->AdicionarVariavel(
            QStringLiteral("DefaultFolderOpenImages"), &m_sDefaultFolder, fallback);
    });
    Guarded([&] {
        m_bShowSafeAreas = SaveDesktop1->AdicionarVariavel(QStringLiteral("ShowSafeAreas"),
                                                           &m_bShowSafeAreas, false);
        m_bShowGrid =
            SaveDesktop1->AdicionarVariavel(QStringLiteral("ShowGrid"), &m_bShowGrid, false);
        m_iGridSize = SaveDesktop1->AdicionarVariavel(QStringLiteral("GridSize"), &m_iGridSize, 40);
        m_bSnapping =
            SaveDesktop1->AdicionarVariavel(QStringLiteral("Snapping"), &m_bSnapping, true);
    });
    // The menu shows what the settings say.
    const std::pair<const char*, bool> shown[] = {{"AcaoAreasSeguras", m_bShowSafeAreas},
                                                  {"AcaoGrade", m_bShowGrid},
                                                  {"AcaoEncaixe", m_bSnapping}};
    for (const auto& [name, on] : shown) {
        if (auto* action = findChild<QAction*>(QString::fromLatin1(name))) {
            const QSignalBlocker quiet(action);
            action->setChecked(on);
        }
    }
    ApplyOverlayOptions();
}

void TfrmQuorvel::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_bShown && !event->spontaneous()) {
        m_bShown = true;
        FormShow();
    }
}

void TfrmQuorvel::FormShow() {
    TimerInit->start();
    TimerMovimento->start();
}

void TfrmQuorvel::TimerInitTimer() {
    TimerInit->stop();
    try {
        StartDesigner();
        TaskStartPIP();
    } catch (const std::exception& e) {
        ShowMessage(QStringLiteral("A pré-visualização não pôde ser iniciada: %1")
                        .arg(QString::fromLocal8Bit(e.what())),
                    true);
    } catch (...) {
        ShowMessage(QStringLiteral("A pré-visualização não pôde ser iniciada."), true);
    }
    m_bStartTimerDone = true;
}

void TfrmQuorvel::StartDesigner() {
    PreviewStartInfo startup;
    startup.indexProgram = m_iIndexProgram;
    startup.inputCount = m_iInputCount;
    startup.handoffPath = GetHandoffFileName();
    startup.executableFolder = ExecutableFolder();
    m_preview->StartPreview(startup);

    WaitWithMessages(kStartWaitMs);
    if (m_bClosing) {
        return;
    }
    if (m_iButtonIndex > 0 && m_iButtonIndex <= static_cast<int>(m_tiles.size())) {
        m_tiles[static_cast<std::size_t>(m_iButtonIndex - 1)]->setChecked(true);
        LoadPIPSetup();
    }
    // The start slot is where editing begins: there is nothing before it to go back to.
    m_history.Reset(m_oStruct);
    UpdateEditActions();
    RefreshSlotThumbnails();
}

void TfrmQuorvel::TaskStartPIP() {
    // A timer owned by the window rather than a pool task: it cannot outlive the window.
    QTimer::singleShot(kStartPIPDelayMs, this, [this] {
        m_bStartPIP = true;
        m_preview->SetComposing(true);
    });
}

void TfrmQuorvel::closeEvent(QCloseEvent* event) {
    if (!m_bClosing) {
        FormClose();
    }
    QMainWindow::closeEvent(event);
}

void TfrmQuorvel::FormClose() {
    m_bClosing = true;
    Guarded([&] { m_preview->SetClosing(true); });
    WaitWithMessages(kCloseWaitMs);

    Guarded([&] {
        m_iPosY = y();
        m_iPosX = x();
    });
    Guarded([&] {
        m_iWidth = width();
        m_iHeight = height();
    });
    const QString settingsError = SaveDesktop1->TryExportaControles();
    Guarded([&] { m_preview->SetShowing(false); });
    // The link waits for its notices on the way (a "Salvar" just before closing) here, so that
    // the halt at destruction cannot cut them off.
    Guarded([&] { m_link = std::make_unique<NullLink>(static_cast<quint64>(winId())); });
    if (!settingsError.isEmpty()) {
        // The window goes on closing once the operator has read why.
        QMessageBox::warning(this, windowTitle(), settingsError);
    }
}

void TfrmQuorvel::FormDestroy() {
    Guarded([&] { TimerMovimento->stop(); });
    Guarded([&] { TimerInit->stop(); });
    Guarded([&] { TaskHalt(); });
    // The preview's release: the selected-PIP object first, then the sources.
    Guarded([&] {
        cxRTTIInspector1->SetInspectedObject(nullptr);
        m_oSelectedPIP.reset();
    });
    Guarded([&] { m_preview->StopPreview(); });
    // The surface shows the preview's frames: it goes before the preview does.
    Guarded([&] {
        delete m_surface;
        m_surface = nullptr;
    });
    Guarded([&] { m_preview.reset(); });
    Guarded([&] { m_link.reset(); });
}

void TfrmQuorvel::TaskHalt() {
    if (m_taskHalt) {
        m_taskHalt();
    }
}

void TfrmQuorvel::ShowMessage(const QString& text, bool error) {
    // Window-modal but not blocking: the window thread keeps serving the preview.
    auto* box = new QMessageBox(error ? QMessageBox::Critical : QMessageBox::Information,
                                windowTitle(), text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("QuorvelMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

} // namespace quorvel
