#pragma once
// The designer's dark look: the Fusion style with a dark palette, and the colours of its regions.

#include <QColor>

class QApplication;

namespace quorvel {

inline const QColor kRegionColour(65, 65, 67);      // top bar and right-hand column
inline const QColor kPreviewAreaColour(54, 54, 56); // around the preview
inline const QColor kTileColour(128, 128, 128);
inline const QColor kTileHoverBorder(207, 207, 207);
inline const QColor kTileDownColour(59, 95, 137);

// Applies the look to the whole application. Safe to call more than once.
void ApplyDarkLook(QApplication& app);

} // namespace quorvel
