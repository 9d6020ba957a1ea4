#pragma once
// PIP entries for tests, and their place and crop as one printable value.

#include <ostream>

#include "core/pip_entry.h"

namespace quorvel::test {

// A visible PIP at x, y, w x h showing `input`, with no crop set.
inline TPipEntry ShownPip(int x, int y, int w, int h, int input = 1) {
    TPipEntry e = ZeroPipEntry();
    e.Visible = 1;
    e.InputIndex = input;
    e.PosX = x;
    e.PosY = y;
    e.Width = w;
    e.Height = h;
    e.RecBottom = kUnsetMarker;
    return e;
}

inline TPipEntry WithCrop(TPipEntry e, int left, int top, int right, int bottom) {
    e.RecLeft = left;
    e.RecTop = top;
    e.RecRight = right;
    e.RecBottom = bottom;
    return e;
}

struct Rect {
    int a, b, c, d;
    friend bool operator==(const Rect&, const Rect&) = default;
};
inline Rect Place(const TPipEntry& e) {
    return {e.PosX, e.PosY, e.Width, e.Height};
}
inline Rect Crop(const TPipEntry& e) {
    return {e.RecLeft, e.RecTop, e.RecRight, e.RecBottom};
}
inline std::ostream& operator<<(std::ostream& os, const Rect& r) {
    return os << r.a << "," << r.b << "," << r.c << "," << r.d;
}

} // namespace quorvel::test
