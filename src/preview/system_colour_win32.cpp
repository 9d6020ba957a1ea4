#include <windows.h>

#include "preview/borders.h"

namespace quorvel {

QRgb SystemColour(int index) {
    const COLORREF c = GetSysColor(index);
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace quorvel
