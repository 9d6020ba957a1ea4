#pragma once
// The designer window: the slot bar, the layout buttons, the preview, the property grid of the
// selected PIP and its fine adjustment. It owns the layout record being edited and glues the
// operations of core and storage to the controls; the preview, the switcher link and the settings
// store come in through their interfaces, so the window runs without any of them.

#include <QMainWindow>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "core/adjust.h"
#include "core/edit_history.h"
#include "core/input_lists.h"
#include "core/pip_entry.h"
#include "core/pip_object.h"
#include "core/presets.h"
#include "designer/edit_overlay.h"
#include "designer/preview_port.h"
#include "link/switcher_link.h"
#include "storage/save_desktop.h"

class QAbstractButton;
class QAction;
class QButtonGroup;
class QComboBox;
class QMenu;
class QMessageBox;
class QPushButton;
class QRadioButton;
class QTimer;
class QToolButton;
class QWidget;

namespace quorvel {

class PreviewArea;
class PropertyGrid;

// Makes the switcher link once the designer window has its native id.
using LinkFactory = std::function<std::unique_ptr<SwitcherLink>(quint64 designerWindowId)>;

// What the window is built with. Every member may stay empty: no preview, no switcher, the
// designer's settings file (MakeDesignerSaveDesktop), no halt watchdog.
struct DesignerDeps {
    std::unique_ptr<PreviewPort> preview;
    LinkFactory link; // the application passes SwitcherLink::Create
    std::unique_ptr<TCustomSaveDesktop> settings;
    // Run first at destruction; the application arms its halt watchdog here (never in tests).
    std::function<void()> taskHalt;
};

// The settings store as the window sets it up: section "Quorvel" of the INI file named after the
// executable in the user's application-data folder.
std::unique_ptr<TSaveDesktop> MakeDesignerSaveDesktop();

class TfrmQuorvel : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmQuorvel(DesignerDeps deps = {}, QWidget* parent = nullptr);
    ~TfrmQuorvel() override;

    // A minimise request: a running switcher takes it over and the window stays as it was
    // (previous: the state to go back to when the window has already been minimised); otherwise
    // the window minimises.
    void HandleMinimizeRequest(Qt::WindowStates previous = Qt::WindowNoState);
    // A "Quorvel Message" with its request code: kRestoreInfo restores a minimised window.
    void ProcessMessage(qint32 info);

    // State, read-only, for the tools and the tests.
    const TPipSetup& Struct() const { return m_oStruct; }
    const TPIPObject* SelectedPIPObject() const { return m_oSelectedPIP.get(); }
    int SelectedPip() const; // 1 to 4
    int ButtonIndex() const { return m_iButtonIndex; }
    int DefIndex() const { return m_iDefIndex; }
    int ProfileIndex() const { return m_iProfileIndex; }
    int IndexProgram() const { return m_iIndexProgram; }
    int InputCount() const { return m_iInputCount; }
    const PipInputLists& InputLists() const { return m_oInputLists; }
    int FatorAjuste() const { return m_iFatorAjuste; }
    VideoSize Video() const { return {m_iVideoWidth, m_iVideoHeight}; }
    QString DefaultFolder() const { return m_sDefaultFolder; }
    bool StartPIP() const { return m_bStartPIP; }
    bool Closing() const { return m_bClosing; }
    // The start timer has run (the start slot is loaded, if there was one to load).
    bool StartTimerDone() const { return m_bStartTimerDone; }
    PropertyGrid* Inspector() const { return cxRTTIInspector1; }
    PreviewArea* PreviewAreaPanel() const { return pnCentral; }
    EditOverlay* Overlay() const { return m_overlay; }
    bool CanUndo() const { return m_history.CanUndo(); }
    bool CanRedo() const { return m_history.CanRedo(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Building the window (frm_quorvel_build.cpp).
    void BuildWindow();
    QWidget* BuildTopBar();
    QWidget* BuildBottomBar();
    QWidget* BuildRightColumn();
    QWidget* BuildAdjustPanel();
    void BuildMenus();

    // Start-up and shutdown (frm_quorvel.cpp).
    void FormCreate();
    void FormShow();
    void TimerInitTimer();
    void StartDesigner();
    void TaskStartPIP();
    void FormClose();
    void FormDestroy();
    void TaskHalt();
    void ShowMessage(const QString& text, bool error);

    // The record's changes reach the preview here, and only here.
    void RecordChanged();
    void RefreshBorders();
    TPipEntry& SelectedEntry();

    // Slot bar and layout buttons (frm_quorvel_slots.cpp).
    void SetQuantPreview(int iQuant);
    void FillPIPTypeList();
    void ButPIP1Click(QAbstractButton* sender);
    void Button1Click(QAbstractButton* sender);
    void Button4Click(QAbstractButton* sender);
    void Button5Click(QAbstractButton* sender);
    void Button6Click(QAbstractButton* sender);
    void Button7Click(QAbstractButton* sender);
    void ApplyLayoutButtonOf(QAbstractButton* sender);
    void LoadPIPSetup();
    void ShowProfileButton();
    // The hidden input lists and the layout button follow the record.
    void ShowRecordInputsAndProfile();
    void ButtonAplicarClick();
    void NotifyTemplateSaved(int slot, int pickerIndex);

    // Selected PIP and property grid (frm_quorvel_grid.cpp).
    void ComboPIPChange();
    void LoadSelectedPIP();
    void StoreSelectedPIP();
    void btAplicarClick();
    void SetupInspectorRows();
    void TranslateRowCaption(int row);
    void cxRTTIInspector1FilterProperty(const QString& name, bool& accept);
    void cxRTTIInspector1EditValueChanged();
    void cxEditRepository1ButtonItem1PropertiesButtonClick(int row);
    void cxEditRepository1ButtonItem1PropertiesEditValueChanged(int row, const QString& text);
    void cxEditRepository1CheckBoxItem1PropertiesEditValueChanged(int row, bool checked);

    // Fine adjustment and the two menus (frm_quorvel_adjust.cpp).
    AdjustMode Mode() const;
    void ApplyOutcome(AdjustOutcome outcome);
    void MoveVertical(int step);
    void MoveHorizontal(int step);
    void ZoomSelectedPIP(int direction);
    void EnsureCrop();
    void CropHalf(int kind);
    void TimerMovimentoTimer();
    void N11Click(QAction* item);
    void N50Direita1Click(QAction* item);
    void AplicaremTodosasConfiguraesdeBordas1Click();
    void ButtonAplicarAjusteClick();
    void ButtonCancelarAjusteClick();

    // Editing on the preview, undo, the keyboard, copy and paste, the checks before saving and
    // the slot thumbnails (frm_quorvel_editing.cpp).
    void BuildEditing();
    QMenu* BuildEditMenu();
    void Undo();
    void Redo();
    void RestoreRecord(const TPipSetup& setup);
    void UpdateEditActions();
    void SelectPip(int pip);
    void NudgeByKey(int dx, int dy, int times);
    void ZoomByKey(int direction);
    void OverlayDragged(int pip, const TPipEntry& entry);
    void OverlayDragFinished();
    void ApplyOverlayOptions(); // from the menu's choices to the overlay
    void AskGridSize();
    void CopyPipLook();
    void PastePipLook();
    void AskApplyGeometryToAllSlots();
    void ApplyGeometryToAllSlots();
    void SaveSlot(); // "Salvar" once the checks passed or the operator chose to save anyway
    void RefreshSlotThumbnails();

    // Window geometry, preview proportions and the link (frm_quorvel_geometry.cpp).
    void LoadWindowGeometry();
    void ApplyWindowGeometry();
    void FormResize();
    void ExecutaTaskProporcoes();
    void UpdatePreviewProportions();
    void VideoSizeChanged(int width, int height);

    // Interfaces.
    std::unique_ptr<PreviewPort> m_preview;
    std::unique_ptr<SwitcherLink> m_link;
    std::unique_ptr<TCustomSaveDesktop> SaveDesktop1;
    std::function<void()> m_taskHalt;

    // State.
    int m_iVideoWidth = 0;
    int m_iVideoHeight = 0;
    int m_iButtonIndex = 0;
    int m_iDefIndex = 0;
    int m_iProfileIndex = 0;
    int m_iIndexProgram = 0;
    int m_iInputCount = 0; // InputCount
    TPipSetup m_oStruct{};
    PipInputLists m_oInputLists; // the hidden per-PIP input lists ComboPIP1 to ComboPIP4
    std::unique_ptr<TPIPObject> m_oSelectedPIP;
    bool m_bStartPIP = false;
    bool m_bClosing = false;
    bool m_bStartTimerDone = false;
    bool m_bShown = false;
    bool m_bHandlingMinimize = false;
    qint32 m_iPosX = 0;
    qint32 m_iPosY = 0;
    qint32 m_iWidth = 0;
    qint32 m_iHeight = 0;
    QString m_sDefaultFolder;
    bool m_bDoingUp = false;
    bool m_bDoingDown = false;
    bool m_bDoingLeft = false;
    bool m_bDoingRight = false;
    bool m_bDoingIn = false;
    bool m_bDoingOut = false;
    int m_iFatorAjuste = 0;
    EditHistory m_history;
    bool m_bRestoring = false;             // an undo or redo is putting a record back
    std::optional<TPipEntry> m_copiedLook; // geometry, crop and border copied from a PIP
    bool m_bShowSafeAreas = false;         // overlay options, kept in the settings store
    bool m_bShowGrid = false;
    std::int32_t m_iGridSize = 40;
    bool m_bSnapping = true;

    // Controls.
    QWidget* gpPIP = nullptr;
    std::array<QToolButton*, 6> m_tiles{}; // ButPIP1 to ButPIP6
    QButtonGroup* m_tileGroup = nullptr;
    std::array<QToolButton*, 7> m_layoutButtons{}; // Button1 to Button7, by number
    QButtonGroup* m_layoutGroup = nullptr;
    QComboBox* ComboPIPType = nullptr;
    QToolButton* ButtonAplicar = nullptr;
    QComboBox* ComboPIP = nullptr;
    QPushButton* btAplicar = nullptr;
    PropertyGrid* cxRTTIInspector1 = nullptr;
    QRadioButton* RadioAjusteExterno = nullptr;
    QRadioButton* RadioAjusteInterno = nullptr;
    PreviewArea* pnCentral = nullptr;
    QWidget* m_surface = nullptr;
    QTimer* TimerInit = nullptr;
    QTimer* TimerMovimento = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    EditOverlay* m_overlay = nullptr;
    QMenu* m_editMenu = nullptr;
    QToolButton* m_editButton = nullptr;
    QAction* m_undoAction = nullptr;
    QAction* m_redoAction = nullptr;
    QAction* m_pasteAction = nullptr;
    QMessageBox* m_saveCheckBox = nullptr; // the list of problems shown before a save
};

} // namespace quorvel
