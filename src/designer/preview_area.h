#pragma once
// The preview area: a border, four margin panels docked top, bottom, left and right (top and
// bottom across the whole width, as docked panels lie) and the preview panel in the rest. Changing
// a margin lays the panels out again at once.

#include <QWidget>

namespace quorvel {

class PreviewArea : public QWidget {
    Q_OBJECT
public:
    explicit PreviewArea(int innerBorderPx, QWidget* parent = nullptr);

    QWidget* Top() const { return m_top; }
    QWidget* Bottom() const { return m_bottom; }
    QWidget* Left() const { return m_left; }
    QWidget* Right() const { return m_right; }
    QWidget* Preview() const { return m_preview; }
    int InnerBorder() const { return m_border; }

    // Thickness of the top and bottom panels, and of the left and right ones.
    void SetMargins(int verticalPx, int horizontalPx);
    int VerticalMargin() const { return m_vertical; }
    int HorizontalMargin() const { return m_horizontal; }

signals:
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Relayout();

    int m_border;
    int m_vertical = 0;
    int m_horizontal = 0;
    QWidget* m_top;
    QWidget* m_bottom;
    QWidget* m_left;
    QWidget* m_right;
    QWidget* m_preview;
};

} // namespace quorvel
