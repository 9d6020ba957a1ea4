#include "storage/registry_store.h"

#include <vector>

namespace quorvel {

namespace {

bool IsDelimiter(char16_t c) {
    return c == u'\\' || c == u'/';
}

std::vector<std::u16string> SplitLevels(const std::u16string& path) {
    std::vector<std::u16string> levels;
    std::u16string level;
    for (const char16_t c : path) {
        if (IsDelimiter(c)) {
            if (!level.empty()) {
                levels.push_back(level);
            }
            level.clear();
        } else {
            level.push_back(c);
        }
    }
    if (!level.empty()) {
        levels.push_back(level);
    }
    return levels;
}

} // namespace

RegistryStoreError::RegistryStoreError(const std::u16string& message)
    : std::runtime_error(Utf16ToUtf8(message))
    , m_sMessage(message) {}

std::u16string RegistryWriteErrorMessage(const std::u16string& regDiretorio) {
    return u"SaveDesktop: Registro n\u00e3o pode ser salvo na pasta\n\r" + regDiretorio;
}

std::u16string ResolveRegistryKeyPath(const std::u16string& regDiretorio) {
    std::vector<std::u16string> levels;
    if (regDiretorio.empty() || !IsDelimiter(regDiretorio.front())) {
        levels = SplitLevels(kRegistryBaseKey);
    }
    for (std::u16string& level : SplitLevels(regDiretorio)) {
        levels.push_back(std::move(level));
    }
    std::u16string path;
    for (const std::u16string& level : levels) {
        if (!path.empty()) {
            path.push_back(u'\\');
        }
        path += level;
    }
    return path;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD; // a lone surrogate
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

} // namespace quorvel
