#include "core/pip_entry.h"

#include <algorithm>
#include <cstring>

#include "util/ansi_codepage.h"

namespace quorvel {

TPipEntry ZeroPipEntry() {
    TPipEntry e;
    std::memset(&e, 0, sizeof e);
    return e;
}

TPipSetup InitialPipSetup() {
    TPipSetup setup;
    setup.fill(ZeroPipEntry());
    for (TPipEntry& e : setup) {
        e.RecBottom = kUnsetMarker;
    }
    return setup;
}

QString ShortStringText(const ShortString& s) {
    const int length = s[0];
    return AnsiToUnicode(QByteArray(reinterpret_cast<const char*>(s.data() + 1), length));
}

void SetShortStringText(ShortString& s, const QString& text) {
    const QByteArray bytes = UnicodeToAnsi(text.left(255)).left(255);
    s[0] = static_cast<std::uint8_t>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), s.begin() + 1);
}

void EntryToBytes(const TPipEntry& e, std::span<std::uint8_t, kPipEntrySize> out) {
    std::memcpy(out.data(), &e, kPipEntrySize);
}

TPipEntry EntryFromBytes(std::span<const std::uint8_t, kPipEntrySize> in) {
    TPipEntry e;
    std::memcpy(&e, in.data(), kPipEntrySize);
    return e;
}

} // namespace quorvel
