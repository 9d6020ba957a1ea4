#include "designer/property_grid.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QColorDialog>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMetaProperty>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>
#include <vector>

namespace quorvel {

namespace {

constexpr int kCaptionColumn = 0;
constexpr int kValueColumn = 1;
constexpr int kCaptionWidthPx = 94;

bool IsColourType(const QMetaProperty& p) {
    return p.metaType().id() == QMetaType::UInt;
}

// 0x00BBGGRR; a value with the top bit set names a system colour and is shown grey.
QColor ColourOf(quint32 value) {
    if ((value & 0x80000000u) != 0) {
        return QColor(128, 128, 128);
    }
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

quint32 ValueOf(const QColor& c) {
    return static_cast<quint32>(c.red()) | (static_cast<quint32>(c.green()) << 8) |
           (static_cast<quint32>(c.blue()) << 16);
}

QString ColourText(quint32 value) {
    if ((value & 0x80000000u) != 0) {
        return QStringLiteral("$%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
    }
    return ColourOf(value).name(QColor::HexRgb).toUpper();
}

QIcon Swatch(quint32 value) {
    QPixmap pixmap(14, 14);
    pixmap.fill(ColourOf(value));
    QPainter p(&pixmap);
    p.setPen(QColor(160, 160, 160));
    p.drawRect(0, 0, 13, 13);
    return QIcon(pixmap);
}

// The sixteen basic colours of the colour list, 0x00BBGGRR.
constexpr std::array<quint32, 16> kBasicColours = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
    0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

} // namespace

struct GridRow {
    QMetaProperty property;
    QString caption;
    RowEditor editor = RowEditor::Default;
    int colourListWidthPx = 0;
};

class PropertyGridModel : public QAbstractTableModel {
public:
    explicit PropertyGridModel(PropertyGrid* grid)
        : QAbstractTableModel(grid)
        , m_grid(grid) {}

    void Rebuild(QObject* object, const PropertyGrid::FilterHook& hook) {
        beginResetModel();
        m_object = object;
        m_rows.clear();
        if (object != nullptr) {
            const QMetaObject* meta = object->metaObject();
            for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
                const QMetaProperty property = meta->property(i);
                bool accept = true;
                if (hook) {
                    hook(QString::fromLatin1(property.name()), accept);
                }
                if (accept) {
                    m_rows.push_back({property, QString::fromLatin1(property.name())});
                }
            }
        }
        endResetModel();
    }

    QObject* Object() const { return m_object; }
    bool ValidRow(int row) const { return row >= 0 && row < static_cast<int>(m_rows.size()); }
    GridRow& Row(int row) { return m_rows[static_cast<std::size_t>(row)]; }
    const GridRow& Row(int row) const { return m_rows[static_cast<std::size_t>(row)]; }

    QVariant Value(int row) const {
        if (m_object == nullptr || !ValidRow(row)) {
            return {};
        }
        return Row(row).property.read(m_object);
    }

    bool Write(int row, const QVariant& value) {
        if (m_object == nullptr || !ValidRow(row)) {
            return false;
        }
        QVariant converted = value;
        if (!converted.convert(Row(row).property.metaType())) {
            return false;
        }
        if (!Row(row).property.write(m_object, converted)) {
            return false;
        }
        RowChanged(row);
        return true;
    }

    void RowChanged(int row) {
        emit dataChanged(index(row, kCaptionColumn), index(row, kCaptionColumn));
        emit dataChanged(index(row, kValueColumn), index(row, kValueColumn));
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 2;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || !ValidRow(index.row())) {
            return {};
        }
        const GridRow& row = Row(index.row());
        if (index.column() == kCaptionColumn) {
            return role == Qt::DisplayRole || role == Qt::AccessibleTextRole ? row.caption
                                                                             : QVariant();
        }
        const QVariant value = Value(index.row());
        if (row.editor == RowEditor::CheckBox) {
            if (role == Qt::CheckStateRole) {
                return value.toBool() ? Qt::Checked : Qt::Unchecked;
            }
            return role == Qt::AccessibleTextRole
                       ? QVariant(value.toBool() ? QStringLiteral("True") : QStringLiteral("False"))
                       : QVariant();
        }
        if (IsColourType(row.property)) {
            switch (role) {
            case Qt::DisplayRole:
            case Qt::AccessibleTextRole:
                return ColourText(value.toUInt());
            case Qt::DecorationRole:
                return Swatch(value.toUInt());
            case Qt::EditRole:
                return value;
            default:
                return {};
            }
        }
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
            if (value.metaType().id() == QMetaType::Bool) {
                return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
            }
            // The file rows show their text in their own editor.
            return row.editor == RowEditor::ButtonText ? QVariant() : QVariant(value.toString());
        }
        return role == Qt::EditRole ? value : QVariant();
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid() || !ValidRow(index.row())) {
            return Qt::NoItemFlags;
        }
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.column() == kValueColumn) {
            f |= Row(index.row()).editor == RowEditor::CheckBox ? Qt::ItemIsUserCheckable
                                                                : Qt::ItemIsEditable;
        }
        return f;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || index.column() != kValueColumn || !ValidRow(index.row())) {
            return false;
        }
        const int row = index.row();
        const RowEditor editor = Row(row).editor;
        if (editor == RowEditor::CheckBox && role == Qt::CheckStateRole) {
            emit m_grid->checkBoxToggled(row, value.toInt() == Qt::Checked);
            RowChanged(row);
            emit m_grid->editValueChanged(row);
            return true;
        }
        if (role != Qt::EditRole) {
            return false;
        }
        if (editor == RowEditor::ButtonText) {
            if (value.toString() == Value(row).toString()) {
                return true; // focus left without a change
            }
            emit m_grid->buttonTextEdited(row, value.toString());
            RowChanged(row);
            emit m_grid->editValueChanged(row);
            return true;
        }
        if (!Write(row, value)) {
            return false;
        }
        emit m_grid->editValueChanged(row);
        return true;
    }

private:
    PropertyGrid* m_grid;
    QPointer<QObject> m_object;
    std::vector<GridRow> m_rows;
};

// The editor of a ButtonText row: the text and an ellipsis button, shown at all times.
class FileRowEditor : public QWidget {
public:
    explicit FileRowEditor(QWidget* parent)
        : QWidget(parent)
        , text(new QLineEdit(this))
        , button(new QToolButton(this)) {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        text->setObjectName(QStringLiteral("FileRowText"));
        text->setFrame(false);
        button->setObjectName(QStringLiteral("FileRowButton"));
        button->setText(QStringLiteral("…"));
        button->setAccessibleName(QStringLiteral("…"));
        button->setAccessibleDescription(QStringLiteral("Escolher arquivo"));
        button->setToolTip(QStringLiteral("Escolher arquivo"));
        button->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(text, 1);
        layout->addWidget(button);
        setFocusProxy(text);
    }
    QLineEdit* text;
    QToolButton* button;
};

class PropertyGridDelegate : public QStyledItemDelegate {
public:
    PropertyGridDelegate(PropertyGrid* grid, PropertyGridModel* model)
        : QStyledItemDelegate(grid)
        , m_grid(grid)
        , m_model(model) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const GridRow& row = m_model->Row(index.row());
        const QString caption = row.caption;
        if (row.editor == RowEditor::ButtonText) {
            auto* editor = new FileRowEditor(parent);
            editor->text->setAccessibleName(caption);
            const QPersistentModelIndex where(index);
            connect(editor->button, &QToolButton::clicked, m_grid, [grid = m_grid, where] {
                if (where.isValid()) {
                    grid->SetFocusedRow(where.row());
                    emit grid->ellipsisClicked(where.row());
                }
            });
            connect(editor->text, &QLineEdit::editingFinished, editor, [this, editor] {
                emit const_cast<PropertyGridDelegate*>(this)->commitData(editor);
            });
            return editor;
        }
        if (IsColourType(row.property)) {
            auto* combo = new QComboBox(parent);
            combo->setAccessibleName(caption);
            combo->setIconSize(QSize(14, 14));
            for (quint32 c : kBasicColours) {
                combo->addItem(Swatch(c), ColourText(c), c);
            }
            combo->addItem(QStringLiteral("Outra cor…"));
            if (row.colourListWidthPx > 0) {
                combo->view()->setMinimumWidth(row.colourListWidthPx);
            }
            connect(combo, &QComboBox::activated, combo, [this, combo](int item) {
                if (!combo->itemData(item).isValid()) { // "Outra cor…"
                    const QColor chosen =
                        QColorDialog::getColor(ColourOf(combo->property("current").toUInt()), combo,
                                               QString(), QColorDialog::DontUseNativeDialog);
                    if (!chosen.isValid()) {
                        combo->setCurrentIndex(combo->findData(combo->property("current")));
                        return;
                    }
                    const quint32 value = ValueOf(chosen);
                    combo->insertItem(0, Swatch(value), ColourText(value), value);
                    combo->setCurrentIndex(0);
                }
                emit const_cast<PropertyGridDelegate*>(this)->commitData(combo);
            });
            return combo;
        }
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (editor != nullptr) {
            editor->setAccessibleName(caption);
        }
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* file = dynamic_cast<FileRowEditor*>(editor)) {
            const QString value = m_model->Value(index.row()).toString();
            if (file->text->text() != value) {
                file->text->setText(value);
            }
            return;
        }
        if (auto* combo = qobject_cast<QComboBox*>(editor);
            combo != nullptr && IsColourType(m_model->Row(index.row()).property)) {
            const quint32 value = m_model->Value(index.row()).toUInt();
            combo->setProperty("current", value);
            int item = combo->findData(value);
            if (item < 0) {
                combo->insertItem(0, Swatch(value), ColourText(value), value);
                item = 0;
            }
            combo->setCurrentIndex(item);
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (auto* file = dynamic_cast<FileRowEditor*>(editor)) {
            model->setData(index, file->text->text(), Qt::EditRole);
            return;
        }
        if (auto* combo = qobject_cast<QComboBox*>(editor);
            combo != nullptr && IsColourType(m_model->Row(index.row()).property)) {
            if (combo->currentData().isValid()) {
                model->setData(index, combo->currentData(), Qt::EditRole);
            }
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    PropertyGrid* m_grid;
    PropertyGridModel* m_model;
};

PropertyGrid::PropertyGrid(QWidget* parent)
    : QWidget(parent)
    , m_model(new PropertyGridModel(this))
    , m_delegate(new PropertyGridDelegate(this, m_model))
    , m_view(new QTableView(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_view->setObjectName(QStringLiteral("cxRTTIInspector1View"));
    m_view->setAccessibleName(QStringLiteral("Propriedades do PIP"));
    m_view->setModel(m_model);
    m_view->setItemDelegate(m_delegate);
    m_view->horizontalHeader()->hide();
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(20);
    m_view->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::AllEditTriggers);
    m_view->setTabKeyNavigation(true);
    m_view->setWordWrap(false);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // No headers, so no corner button either.
    m_view->setCornerButtonEnabled(false);
    for (QAbstractButton* corner :
         m_view->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
        corner->hide();
    }
    m_view->setGridStyle(Qt::SolidLine);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex at = m_view->indexAt(pos);
        if (at.isValid()) {
            SetFocusedRow(at.row());
        }
        if (m_menu) {
            m_menu->popup(m_view->viewport()->mapToGlobal(pos));
        }
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        m_view->setColumnWidth(kCaptionColumn, kCaptionWidthPx);
        OpenPersistentEditors();
    });
    m_view->setColumnWidth(kCaptionColumn, kCaptionWidthPx);
}

PropertyGrid::~PropertyGrid() = default;

void PropertyGrid::SetFilterHook(FilterHook hook) {
    m_hook = std::move(hook);
}

void PropertyGrid::SetInspectedObject(QObject* object) {
    m_model->Rebuild(object, m_hook);
}

QObject* PropertyGrid::InspectedObject() const {
    return m_model->Object();
}

int PropertyGrid::RowCount() const {
    return m_model->rowCount();
}

QString PropertyGrid::RowPropertyName(int row) const {
    return m_model->ValidRow(row) ? QString::fromLatin1(m_model->Row(row).property.name())
                                  : QString();
}

QString PropertyGrid::RowCaption(int row) const {
    return m_model->ValidRow(row) ? m_model->Row(row).caption : QString();
}

void PropertyGrid::SetRowCaption(int row, const QString& caption) {
    if (m_model->ValidRow(row) && m_model->Row(row).caption != caption) {
        m_model->Row(row).caption = caption;
        m_model->RowChanged(row);
    }
}

RowEditor PropertyGrid::RowEditorKind(int row) const {
    return m_model->ValidRow(row) ? m_model->Row(row).editor : RowEditor::Default;
}

void PropertyGrid::SetRowEditor(int row, RowEditor editor) {
    if (!m_model->ValidRow(row) || m_model->Row(row).editor == editor) {
        return;
    }
    const QModelIndex value = m_model->index(row, kValueColumn);
    m_view->closePersistentEditor(value);
    m_model->Row(row).editor = editor;
    m_model->RowChanged(row);
    if (editor == RowEditor::ButtonText) {
        m_view->openPersistentEditor(value);
    }
}

void PropertyGrid::SetColourListWidth(int row, int widthPx) {
    if (m_model->ValidRow(row)) {
        m_model->Row(row).colourListWidthPx = widthPx;
    }
}

int PropertyGrid::ColourListWidth(int row) const {
    return m_model->ValidRow(row) ? m_model->Row(row).colourListWidthPx : 0;
}

int PropertyGrid::FocusedRow() const {
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void PropertyGrid::SetFocusedRow(int row) {
    if (m_model->ValidRow(row)) {
        m_view->setCurrentIndex(m_model->index(row, kValueColumn));
    }
}

QString PropertyGrid::RowValueText(int row) const {
    const QVariant value = m_model->Value(row);
    if (value.metaType().id() == QMetaType::Bool) {
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    }
    return value.toString();
}

bool PropertyGrid::SetRowValueText(int row, const QString& text) {
    return m_model->Write(row, text);
}

bool PropertyGrid::SetRowValue(int row, const QVariant& value) {
    return m_model->Write(row, value);
}

void PropertyGrid::SetContextMenu(QMenu* menu) {
    m_menu = menu;
}

void PropertyGrid::OpenPersistentEditors() {
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->Row(row).editor == RowEditor::ButtonText) {
            m_view->openPersistentEditor(m_model->index(row, kValueColumn));
        }
    }
}

} // namespace quorvel
