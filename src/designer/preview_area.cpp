#include "designer/preview_area.h"

#include <QResizeEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvel {

PreviewArea::PreviewArea(int innerBorderPx, QWidget* parent)
    : QWidget(parent)
    , m_border(innerBorderPx)
    , m_top(new QWidget(this))
    , m_bottom(new QWidget(this))
    , m_left(new QWidget(this))
    , m_right(new QWidget(this))
    , m_preview(new QWidget(this)) {
    m_top->setObjectName(QStringLiteral("pnAjusteSuperior"));
    m_bottom->setObjectName(QStringLiteral("pnAjusteInferior"));
    m_left->setObjectName(QStringLiteral("pnAjusteEsquerda"));
    m_right->setObjectName(QStringLiteral("pnAjusteDireita"));
    m_preview->setObjectName(QStringLiteral("panelPreview"));
    m_preview->setAccessibleName(QStringLiteral("Pré-visualização"));
    m_preview->setAutoFillBackground(true);
    QPalette black = m_preview->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_preview->setPalette(black);
    auto* fill = new QVBoxLayout(m_preview);
    fill->setContentsMargins(0, 0, 0, 0);
    Relayout();
}

void PreviewArea::SetMargins(int verticalPx, int horizontalPx) {
    m_vertical = std::max(verticalPx, 0);
    m_horizontal = std::max(horizontalPx, 0);
    Relayout();
}

void PreviewArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
    emit resized();
}

void PreviewArea::Relayout() {
    const QRect inner = rect().adjusted(m_border, m_border, -m_border, -m_border);
    const int v = std::min(m_vertical, std::max(inner.height(), 0) / 2);
    const int h = std::min(m_horizontal, std::max(inner.width(), 0) / 2);
    m_top->setGeometry(inner.left(), inner.top(), inner.width(), v);
    m_bottom->setGeometry(inner.left(), inner.bottom() + 1 - v, inner.width(), v);
    const int middleTop = inner.top() + v;
    const int middleHeight = std::max(inner.height() - 2 * v, 0);
    m_left->setGeometry(inner.left(), middleTop, h, middleHeight);
    m_right->setGeometry(inner.right() + 1 - h, middleTop, h, middleHeight);
    m_preview->setGeometry(inner.left() + h, middleTop, std::max(inner.width() - 2 * h, 0),
                           middleHeight);
}

} // namespace quorvel
