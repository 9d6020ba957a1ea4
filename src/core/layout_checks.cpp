#include "core/layout_checks.h"

namespace quorvel {

std::vector<LayoutProblem> CheckLayout(const TPipSetup& setup, VideoSize video, int inputCount) {
    std::vector<LayoutProblem> problems;
    for (std::size_t i = 0; i < setup.size(); ++i) {
        const TPipEntry& e = setup[i];
        if (e.Visible == 0) {
            continue;
        }
        const int pip = static_cast<int>(i) + 1;
        auto add = [&](LayoutProblemKind kind, const QString& text) {
            problems.push_back({pip, kind, QStringLiteral("PIP %1: %2").arg(pip).arg(text)});
        };
        if (e.Width <= 0 || e.Height <= 0) {
            add(LayoutProblemKind::EmptySize,
                QStringLiteral("tamanho %1 x %2, sem área visível").arg(e.Width).arg(e.Height));
        }
        if (e.RecBottom != kUnsetMarker) {
            const bool inside = e.RecLeft >= 0 && e.RecTop >= 0 && e.RecRight <= video.width &&
                                e.RecBottom <= video.height && e.RecLeft < e.RecRight &&
                                e.RecTop < e.RecBottom;
            if (!inside) {
                add(LayoutProblemKind::CropOutside,
                    QStringLiteral("recorte (%1, %2) a (%3, %4) fora da imagem de %5 x %6")
                        .arg(e.RecLeft)
                        .arg(e.RecTop)
                        .arg(e.RecRight)
                        .arg(e.RecBottom)
                        .arg(video.width)
                        .arg(video.height));
            }
        }
        if (e.Width > 0 && e.Height > 0) {
            // 64-bit sums: a wild position must not wrap into the picture.
            const qint64 right = qint64(e.PosX) + e.Width;
            const qint64 bottom = qint64(e.PosY) + e.Height;
            if (right <= 0 || bottom <= 0 || e.PosX >= video.width || e.PosY >= video.height) {
                add(LayoutProblemKind::OutsidePicture,
                    QStringLiteral("em (%1, %2), inteiramente fora da imagem de %3 x %4")
                        .arg(e.PosX)
                        .arg(e.PosY)
                        .arg(video.width)
                        .arg(video.height));
            }
        }
        if (e.InputIndex < 1 || e.InputIndex > inputCount) {
            add(LayoutProblemKind::InputBeyondCount,
                QStringLiteral("entrada %1, mas há %2 entradas").arg(e.InputIndex).arg(inputCount));
        }
    }
    return problems;
}

} // namespace quorvel
