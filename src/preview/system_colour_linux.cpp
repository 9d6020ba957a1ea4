#include <QGuiApplication>
#include <QPalette>

#include <array>

#include "preview/borders.h"

namespace quorvel {

namespace {

// GetSysColor's values on a freshly installed Windows 10, by index (0xRRGGBB).
constexpr std::array<QRgb, 31> kWindowsDefaults{
    0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x0078D7, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x3399FF, 0xF0F0F0};

// The palette role that plays the part of each system colour on this desktop, -1 for none.
constexpr std::array<int, 31> kRoles{QPalette::Mid,
                                     -1,
                                     -1,
                                     -1,
                                     QPalette::Window,
                                     QPalette::Base,
                                     QPalette::Shadow,
                                     QPalette::WindowText,
                                     QPalette::Text,
                                     -1,
                                     -1,
                                     -1,
                                     QPalette::Dark,
                                     QPalette::Highlight,
                                     QPalette::HighlightedText,
                                     QPalette::Button,
                                     QPalette::Mid,
                                     QPalette::PlaceholderText,
                                     QPalette::ButtonText,
                                     -1,
                                     QPalette::Light,
                                     QPalette::Shadow,
                                     QPalette::Midlight,
                                     QPalette::ToolTipText,
                                     QPalette::ToolTipBase,
                                     -1,
                                     QPalette::Link,
                                     -1,
                                     -1,
                                     QPalette::Highlight,
                                     QPalette::Window};

} // namespace

QRgb SystemColour(int index) {
    if (index < 0 || index >= int(kWindowsDefaults.size())) {
        return qRgb(0, 0, 0);
    }
    const int role = kRoles[std::size_t(index)];
    if (role >= 0 && qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        return QGuiApplication::palette().color(static_cast<QPalette::ColorRole>(role)).rgb();
    }
    const QRgb v = kWindowsDefaults[std::size_t(index)];
    return qRgb(qRed(v), qGreen(v), qBlue(v));
}

} // namespace quorvel
