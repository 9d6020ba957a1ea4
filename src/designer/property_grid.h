#pragma once
// A two-column property grid over the Q_PROPERTYs that a QObject's own class declares, in their
// declaration order: caption on the left, an editor on the right. Each row's caption and editor
// can be changed; a hook may refuse a property before it gets a row. An unsigned 32-bit property
// is shown as a colour 0x00BBGGRR (the switcher's colour layout) with a colour drop-down.

#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <functional>

class QMenu;
class QTableView;

namespace quorvel {

class PropertyGridModel;
class PropertyGridDelegate;

enum class RowEditor {
    Default,   // chosen from the property's type: number, text, True/False list, colour list
    CheckBox,  // a check box that reports every change at once
    ButtonText // a text editor with an ellipsis button
};

class PropertyGrid : public QWidget {
    Q_OBJECT
public:
    // name: the property about to get a row; clear accept to refuse it.
    using FilterHook = std::function<void(const QString& name, bool& accept)>;

    explicit PropertyGrid(QWidget* parent = nullptr);
    ~PropertyGrid() override;

    void SetFilterHook(FilterHook hook);

    // Attaching an object rebuilds every row (asking the hook for each property); nullptr
    // detaches and leaves the grid empty. The grid never owns the object.
    void SetInspectedObject(QObject* object);
    QObject* InspectedObject() const;

    int RowCount() const;
    QString RowPropertyName(int row) const;
    QString RowCaption(int row) const;
    void SetRowCaption(int row, const QString& caption);
    RowEditor RowEditorKind(int row) const;
    void SetRowEditor(int row, RowEditor editor);
    // Colour rows: the width of their drop-down list, in pixels (0: as wide as the cell).
    void SetColourListWidth(int row, int widthPx);
    int ColourListWidth(int row) const;

    int FocusedRow() const; // -1 when no row has the focus
    void SetFocusedRow(int row);

    // The row's value as text ("True"/"False" for booleans).
    QString RowValueText(int row) const;
    // Writes the row's property through its setter, converting text to its type. False when the
    // text does not convert or there is no such row.
    bool SetRowValueText(int row, const QString& text);
    // Writes a value of the property's own type.
    bool SetRowValue(int row, const QVariant& value);

    // The right-click menu of the rows.
    void SetContextMenu(QMenu* menu);

    QTableView* View() const { return m_view; }

signals:
    // After a value was edited in any row (also after the hooks below wrote it).
    void editValueChanged(int row);
    // The ellipsis button of a ButtonText row was clicked.
    void ellipsisClicked(int row);
    // The text of a ButtonText row was typed and committed; the handler writes it.
    void buttonTextEdited(int row, const QString& text);
    // The check box of a CheckBox row changed; the handler writes it.
    void checkBoxToggled(int row, bool checked);

private:
    void OpenPersistentEditors();

    PropertyGridModel* m_model = nullptr;
    PropertyGridDelegate* m_delegate = nullptr;
    QTableView* m_view = nullptr;
    QPointer<QMenu> m_menu;
    FilterHook m_hook;
};

} // namespace quorvel
