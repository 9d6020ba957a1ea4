// The designer window's controls, laid out as the regions of the window.

#include <QActionGroup>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "designer/dark_look.h"
#include "designer/frm_quorvel.h"
#include "designer/geometry.h"
#include "designer/pictures.h"
#include "designer/preview_area.h"
#include "designer/property_grid.h"

namespace quorvel {

namespace {

constexpr int kTopBarHeightPx = 57;
constexpr int kBottomBarHeightPx = 59;
constexpr int kRightColumnWidthPx = 177;
constexpr int kPreviewBorderPx = 3;
constexpr int kStartTimerMs = 500;
constexpr int kRepeatTimerMs = 50;

QWidget* ColouredPanel(const QString& name, const QColor& colour, QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    panel->setAutoFillBackground(true);
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, colour);
    panel->setPalette(p);
    return panel;
}

QString TileStyle() {
    return QStringLiteral(
        "QToolButton { background-color: rgb(128,128,128); border: 1px solid rgb(128,128,128);"
        " color: white; font-family: 'Segoe UI', 'DejaVu Sans'; font-size: 10pt; }"
        "QToolButton:hover { border: 1px solid rgb(207,207,207); }"
        "QToolButton:checked { background-color: rgb(59,95,137);"
        " border: 1px solid rgb(59,95,137); }");
}

} // namespace

void TfrmQuorvel::BuildWindow() {
    setObjectName(QStringLiteral("frmQuorvel"));
    setWindowTitle(QStringLiteral("Quorvel"));
    setMinimumWidth(kMinimumWindowWidth);
    resize(kDesignClientSize);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(BuildTopBar());
    auto* middle = new QHBoxLayout();
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    pnCentral = new PreviewArea(kPreviewBorderPx, central);
    pnCentral->setObjectName(QStringLiteral("pnCentral"));
    pnCentral->setAutoFillBackground(true);
    QPalette area = pnCentral->palette();
    area.setColor(QPalette::Window, kPreviewAreaColour);
    pnCentral->setPalette(area);
    pnCentral->setMinimumSize(0, 0);
    middle->addWidget(pnCentral, 1);
    middle->addWidget(BuildRightColumn());
    column->addLayout(middle, 1);
    column->addWidget(BuildBottomBar());
    setCentralWidget(central);

    m_surface = m_preview->CreateSurface(pnCentral->Preview());
    if (m_surface != nullptr) {
        pnCentral->Preview()->layout()->addWidget(m_surface);
    }

    TimerInit = new QTimer(this);
    TimerInit->setObjectName(QStringLiteral("TimerInit"));
    TimerInit->setInterval(kStartTimerMs);
    connect(TimerInit, &QTimer::timeout, this, &TfrmQuorvel::TimerInitTimer);
    TimerMovimento = new QTimer(this);
    TimerMovimento->setObjectName(QStringLiteral("TimerMovimento"));
    TimerMovimento->setInterval(kRepeatTimerMs);
    connect(TimerMovimento, &QTimer::timeout, this, &TfrmQuorvel::TimerMovimentoTimer);

    BuildMenus();
    BuildEditing();
    connect(pnCentral, &PreviewArea::resized, this, &TfrmQuorvel::FormResize);
}

QWidget* TfrmQuorvel::BuildTopBar() {
    QWidget* pnSuperior = ColouredPanel(QStringLiteral("pnSuperior"), kRegionColour, this);
    pnSuperior->setFixedHeight(kTopBarHeightPx);

    // Seven equal columns; the tiles fill the first six, 3 pixels in from every side.
    gpPIP = new QWidget(pnSuperior);
    gpPIP->setObjectName(QStringLiteral("gpPIP"));
    gpPIP->setGeometry(3, 6, 324, 47);
    gpPIP->setStyleSheet(TileStyle());
    auto* grid = new QGridLayout(gpPIP);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(6);
    m_tileGroup = new QButtonGroup(this);
    m_tileGroup->setExclusive(true);
    for (int slot = 1; slot <= 6; ++slot) {
        auto* tile = new QToolButton(gpPIP);
        const QString hint = QStringLiteral("PIP ") + QChar(u'A' + (slot - 1));
        tile->setObjectName(QStringLiteral("ButPIP%1").arg(slot));
        tile->setProperty("tag", slot);
        tile->setCheckable(true);
        tile->setToolTip(hint);
        tile->setAccessibleName(hint);
        tile->setIcon(SlotTilePicture(slot, 30));
        tile->setIconSize(QSize(40, 30));
        tile->setToolButtonStyle(Qt::ToolButtonIconOnly);
        tile->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        m_tileGroup->addButton(tile, slot);
        grid->addWidget(tile, 0, slot - 1);
        grid->setColumnStretch(slot - 1, 1);
        m_tiles[static_cast<std::size_t>(slot - 1)] = tile;
        connect(tile, &QToolButton::clicked, this, [this, tile] { ButPIP1Click(tile); });
    }
    grid->setColumnStretch(6, 1);

    // The editing commands, their keys listed in its menu and its tooltip.
    m_editButton = new QToolButton(pnSuperior);
    m_editButton->setObjectName(QStringLiteral("ButtonEditar"));
    m_editButton->setText(QStringLiteral("Editar"));
    m_editButton->setAccessibleName(QStringLiteral("Editar"));
    m_editButton->setPopupMode(QToolButton::InstantPopup);
    m_editButton->setGeometry(336, 15, 72, 30);
    m_editButton->setStyleSheet(QStringLiteral(
        "QToolButton { background-color: rgb(70,70,74); border: 1px solid rgb(95,95,99);"
        " border-radius: 2px; color: rgb(230,230,230); padding: 0 6px; }"
        "QToolButton:hover { border-color: rgb(207,207,207); }"));
    return pnSuperior;
}

QWidget* TfrmQuorvel::BuildBottomBar() {
    auto* pnInferior = new QWidget(this);
    pnInferior->setObjectName(QStringLiteral("pnInferior"));
    pnInferior->setFixedHeight(kBottomBarHeightPx);
    // The layout button that is down shows in the colour of the slot tile that is down.
    pnInferior->setStyleSheet(QStringLiteral(
        "QToolButton { background-color: rgb(70,70,74); border: 1px solid rgb(95,95,99);"
        " border-radius: 2px; color: rgb(230,230,230); }"
        "QToolButton:hover { border-color: rgb(207,207,207); }"
        "QToolButton:pressed { background-color: rgb(50,80,115); }"
        "QToolButton:checked { background-color: rgb(59,95,137); border-color: rgb(59,95,137);"
        " color: white; }"));
    auto* row = new QHBoxLayout(pnInferior);
    row->setContentsMargins(4, 5, 4, 5);
    row->setSpacing(2);

    m_layoutGroup = new QButtonGroup(this);
    m_layoutGroup->setExclusive(true);
    // From the left: "Único" (Button7), then Button1 to Button6.
    std::array<const PresetInfo*, 7> order{};
    order[0] = PresetByNumber(7);
    for (int n = 1; n <= 6; ++n) {
        order[static_cast<std::size_t>(n)] = PresetByNumber(n);
    }
    for (const PresetInfo* preset : order) {
        auto* button = new QToolButton(pnInferior);
        const QString caption = QString::fromUtf16(preset->caption);
        button->setObjectName(QString::fromLatin1(preset->buttonName));
        button->setProperty("tag", preset->tag);
        button->setText(caption);
        button->setAccessibleName(caption);
        button->setCheckable(true);
        button->setFixedSize(81, 49);
        m_layoutGroup->addButton(button, preset->buttonNumber());
        m_layoutButtons[static_cast<std::size_t>(preset->buttonNumber() - 1)] = button;
        row->addWidget(button);
        switch (preset->layout) {
        case PresetLayout::Single:
            connect(button, &QToolButton::clicked, this, [this, button] { Button7Click(button); });
            break;
        case PresetLayout::Horizontal2:
        case PresetLayout::Horizontal3:
        case PresetLayout::Horizontal4:
            connect(button, &QToolButton::clicked, this, [this, button] { Button1Click(button); });
            break;
        case PresetLayout::Distributed4:
            connect(button, &QToolButton::clicked, this, [this, button] { Button4Click(button); });
            break;
        case PresetLayout::Distributed12:
            connect(button, &QToolButton::clicked, this, [this, button] { Button5Click(button); });
            break;
        case PresetLayout::Distributed21:
            connect(button, &QToolButton::clicked, this, [this, button] { Button6Click(button); });
            break;
        }
    }

    ComboPIPType = new QComboBox(pnInferior);
    ComboPIPType->setObjectName(QStringLiteral("ComboPIPType"));
    ComboPIPType->setAccessibleName(QStringLiteral("Imagem do layout"));
    ComboPIPType->setToolTip(QStringLiteral("Imagem do layout"));
    ComboPIPType->setFixedSize(88, 46);
    ComboPIPType->setIconSize(QSize(kLayoutPictureSize, kLayoutPictureSize));
    ComboPIPType->setFocusPolicy(Qt::ClickFocus);
    ComboPIPType->setStyleSheet(QStringLiteral(
        "QComboBox { background-color: black; color: white; border: 1px solid rgb(80,80,84);"
        " padding-left: 2px; }"
        "QComboBox::drop-down { background-color: rgb(50,50,53); width: 14px; }"
        "QComboBox QAbstractItemView { background-color: black; color: white;"
        " selection-background-color: rgb(59,95,137); }"));
    row->addSpacing(6);
    row->addWidget(ComboPIPType);
    row->addStretch(1);

    ButtonAplicar = new QToolButton(pnInferior);
    ButtonAplicar->setObjectName(QStringLiteral("ButtonAplicar"));
    ButtonAplicar->setText(QStringLiteral("Salvar"));
    ButtonAplicar->setAccessibleName(QStringLiteral("Salvar"));
    ButtonAplicar->setFixedSize(86, 49);
    connect(ButtonAplicar, &QToolButton::clicked, this, &TfrmQuorvel::ButtonAplicarClick);
    row->addWidget(ButtonAplicar);
    return pnInferior;
}

QWidget* TfrmQuorvel::BuildRightColumn() {
    QWidget* pnOrdemComponentes =
        ColouredPanel(QStringLiteral("pnOrdemComponentes"), kRegionColour, this);
    pnOrdemComponentes->setFixedWidth(kRightColumnWidthPx);
    auto* outer = new QVBoxLayout(pnOrdemComponentes);
    outer->setContentsMargins(0, 0, 0, 0);
    QWidget* pnListaObjetos =
        ColouredPanel(QStringLiteral("pnListaObjetos"), kRegionColour, pnOrdemComponentes);
    outer->addWidget(pnListaObjetos);
    auto* column = new QVBoxLayout(pnListaObjetos);
    column->setContentsMargins(5, 5, 5, 5);
    column->setSpacing(2);

    auto* Panel6 = new QWidget(pnListaObjetos);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel6->setFixedHeight(29);
    auto* selector = new QHBoxLayout(Panel6);
    selector->setContentsMargins(0, 2, 0, 2);
    selector->setSpacing(4);
    ComboPIP = new QComboBox(Panel6);
    ComboPIP->setObjectName(QStringLiteral("ComboPIP"));
    ComboPIP->setAccessibleName(QStringLiteral("PIP"));
    ComboPIP->setToolTip(QStringLiteral("PIP"));
    // Kept to its list, so that a PIP from 1 to 4 is always selected.
    ComboPIP->setEditable(false);
    for (int pip = 1; pip <= static_cast<int>(kPipCount); ++pip) {
        ComboPIP->addItem(QStringLiteral("PIP %1").arg(pip));
    }
    ComboPIP->setCurrentIndex(0);
    connect(ComboPIP, &QComboBox::currentIndexChanged, this, &TfrmQuorvel::ComboPIPChange);
    btAplicar = new QPushButton(QStringLiteral("&Aplicar"), Panel6);
    btAplicar->setObjectName(QStringLiteral("btAplicar"));
    btAplicar->setAccessibleName(QStringLiteral("Aplicar"));
    connect(btAplicar, &QPushButton::clicked, this, &TfrmQuorvel::btAplicarClick);
    selector->addWidget(ComboPIP, 1);
    selector->addWidget(btAplicar);
    column->addWidget(Panel6);

    auto* Panel5 = new QWidget(pnListaObjetos);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    auto* gridBox = new QVBoxLayout(Panel5);
    gridBox->setContentsMargins(1, 1, 1, 1);
    cxRTTIInspector1 = new PropertyGrid(Panel5);
    cxRTTIInspector1->setObjectName(QStringLiteral("cxRTTIInspector1"));
    // Black ground, white text; through the palette so that the check boxes keep their marks.
    QPalette dark = cxRTTIInspector1->palette();
    dark.setColor(QPalette::Base, Qt::black);
    dark.setColor(QPalette::AlternateBase, Qt::black);
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::WindowText, Qt::white);
    cxRTTIInspector1->setPalette(dark);
    cxRTTIInspector1->SetFilterHook([this](const QString& name, bool& accept) {
        cxRTTIInspector1FilterProperty(name, accept);
    });
    connect(cxRTTIInspector1, &PropertyGrid::editValueChanged, this,
            &TfrmQuorvel::cxRTTIInspector1EditValueChanged);
    connect(cxRTTIInspector1, &PropertyGrid::ellipsisClicked, this,
            &TfrmQuorvel::cxEditRepository1ButtonItem1PropertiesButtonClick);
    connect(cxRTTIInspector1, &PropertyGrid::buttonTextEdited, this,
            &TfrmQuorvel::cxEditRepository1ButtonItem1PropertiesEditValueChanged);
    connect(cxRTTIInspector1, &PropertyGrid::checkBoxToggled, this,
            &TfrmQuorvel::cxEditRepository1CheckBoxItem1PropertiesEditValueChanged);
    gridBox->addWidget(cxRTTIInspector1);
    column->addWidget(Panel5, 1);

    column->addWidget(BuildAdjustPanel());
    return pnOrdemComponentes;
}

QWidget* TfrmQuorvel::BuildAdjustPanel() {
    auto* Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(120);
    auto* grid = new QGridLayout(Panel1);
    grid->setContentsMargins(0, 2, 0, 0);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);

    auto* title = new QLabel(QStringLiteral("Ajuste Fino PIP"), Panel1);
    title->setObjectName(QStringLiteral("LabelAjusteFino"));
    grid->addWidget(title, 0, 0, 1, 6);

    // A button that runs one step on click and sets its flag while held.
    auto stepButton = [&](const char* name, const QString& caption, bool* held,
                          std::function<void()> step) {
        auto* button = new QPushButton(caption, Panel1);
        button->setObjectName(QString::fromLatin1(name));
        button->setAccessibleName(caption);
        button->setFixedSize(20, 20);
        button->setAutoDefault(false);
        // A press and what its repeats do is one step to undo; the click that ends it comes
        // after the release, so the step closes once the release has been handled.
        connect(button, &QPushButton::pressed, this, [this, held] {
            *held = true;
            m_history.BeginGroup();
        });
        connect(button, &QPushButton::released, this, [this, held] {
            *held = false;
            QMetaObject::invokeMethod(
                this, [this] { m_history.EndGroup(); }, Qt::QueuedConnection);
        });
        connect(button, &QPushButton::clicked, this, std::move(step));
        return button;
    };
    grid->addWidget(stepButton("Button9", QStringLiteral("˄"), &m_bDoingUp,
                               [this] { MoveVertical(-m_iFatorAjuste); }),
                    1, 1);
    grid->addWidget(stepButton("btMoveHorizontal1", QStringLiteral("<"), &m_bDoingRight,
                               [this] { MoveHorizontal(-m_iFatorAjuste); }),
                    2, 0);
    grid->addWidget(stepButton("btMoveHorizontal2", QStringLiteral(">"), &m_bDoingLeft,
                               [this] { MoveHorizontal(m_iFatorAjuste); }),
                    2, 2);
    grid->addWidget(stepButton("Button11", QStringLiteral("˅"), &m_bDoingDown,
                               [this] { MoveVertical(m_iFatorAjuste); }),
                    3, 1);
    QPushButton* zoomIn = stepButton("btZoomMais", QStringLiteral("+"), &m_bDoingIn, [] {});
    zoomIn->setProperty("tag", 1);
    connect(zoomIn, &QPushButton::clicked, this,
            [this, zoomIn] { ZoomSelectedPIP(zoomIn->property("tag").toInt()); });
    grid->addWidget(zoomIn, 1, 3);
    QPushButton* zoomOut = stepButton("btZoomMenos", QStringLiteral("-"), &m_bDoingOut, [] {});
    zoomOut->setProperty("tag", -1);
    connect(zoomOut, &QPushButton::clicked, this,
            [this, zoomOut] { ZoomSelectedPIP(zoomOut->property("tag").toInt()); });
    grid->addWidget(zoomOut, 3, 3);

    RadioAjusteExterno = new QRadioButton(QStringLiteral("Externo"), Panel1);
    RadioAjusteExterno->setObjectName(QStringLiteral("RadioAjusteExterno"));
    RadioAjusteExterno->setAccessibleName(QStringLiteral("Externo"));
    RadioAjusteExterno->setChecked(true);
    RadioAjusteInterno = new QRadioButton(QStringLiteral("Interno"), Panel1);
    RadioAjusteInterno->setObjectName(QStringLiteral("RadioAjusteInterno"));
    RadioAjusteInterno->setAccessibleName(QStringLiteral("Interno"));
    connect(RadioAjusteInterno, &QRadioButton::clicked, this, &TfrmQuorvel::EnsureCrop);
    connect(RadioAjusteInterno, &QRadioButton::toggled, this, [this](bool on) {
        if (m_overlay != nullptr) {
            m_overlay->SetHandlesCrop(on);
        }
    });
    grid->addWidget(RadioAjusteExterno, 1, 4, 1, 2);
    grid->addWidget(RadioAjusteInterno, 2, 4, 1, 2);

    auto* atribuir = new QPushButton(QStringLiteral(" Atribuir"), Panel1);
    atribuir->setObjectName(QStringLiteral("ButtonAplicarAjuste"));
    atribuir->setAccessibleName(QStringLiteral("Atribuir"));
    atribuir->setAutoDefault(false);
    connect(atribuir, &QPushButton::clicked, this, &TfrmQuorvel::ButtonAplicarAjusteClick);
    auto* cancelar = new QPushButton(QStringLiteral(" Cancelar"), Panel1);
    cancelar->setObjectName(QStringLiteral("ButtonCancelarAjuste"));
    cancelar->setAccessibleName(QStringLiteral("Cancelar"));
    cancelar->setAutoDefault(false);
    connect(cancelar, &QPushButton::clicked, this, &TfrmQuorvel::ButtonCancelarAjusteClick);
    grid->addWidget(atribuir, 4, 0, 1, 3);
    grid->addWidget(cancelar, 4, 3, 1, 3);
    grid->setColumnStretch(5, 1);
    grid->setRowStretch(5, 1);

    Panel1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Panel1, &QWidget::customContextMenuRequested, this,
            [this, Panel1](const QPoint& pos) { PopupMenu2->popup(Panel1->mapToGlobal(pos)); });
    return Panel1;
}

void TfrmQuorvel::BuildMenus() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* borders =
        PopupMenu1->addAction(QStringLiteral("Aplicar em Todos as Configurações de Bordas"), this,
                              &TfrmQuorvel::AplicaremTodosasConfiguraesdeBordas1Click);
    borders->setObjectName(QStringLiteral("AplicaremTodosasConfiguraesdeBordas1"));
    QMenu* crop = PopupMenu1->addMenu(QStringLiteral("Cortar PIP (Crop)"));
    crop->setObjectName(QStringLiteral("CortarPIPCrop1"));
    const std::array<std::pair<const char*, const char*>, 4> halves = {{
        {"N50Direita1", "50% Direita"},
        {"N50Esquerda1", "50% Esquerda"},
        {"N50ParteDeCima1", "50% Parte de Cima"},
        {"N50ParteDeBaixo1", "50% Parte de Baixo"},
    }};
    for (std::size_t i = 0; i < halves.size(); ++i) {
        QAction* item = crop->addAction(QString::fromUtf8(halves[i].second));
        item->setObjectName(QString::fromLatin1(halves[i].first));
        item->setData(static_cast<int>(i) + 1); // the tag
        connect(item, &QAction::triggered, this, [this, item] { N50Direita1Click(item); });
    }
    cxRTTIInspector1->SetContextMenu(PopupMenu1);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    QMenu* factor = PopupMenu2->addMenu(QStringLiteral("Fator de Ajuste"));
    factor->setObjectName(QStringLiteral("FatordeAjuste1"));
    auto* steps = new QActionGroup(factor);
    steps->setExclusive(true);
    for (int step : kAdjustSteps) {
        QAction* item = factor->addAction(QString::number(step));
        item->setObjectName(QStringLiteral("N") + QString::number(step) + QStringLiteral("1"));
        item->setData(step); // the tag
        item->setCheckable(true);
        item->setChecked(step == kDefaultAdjustStep);
        steps->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { N11Click(item); });
    }
}

} // namespace quorvel
