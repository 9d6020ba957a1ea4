#include "storage/registry_store_win32.h"

#include <cstring>

namespace quorvel {

namespace {

std::wstring Wide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

// Closes the key when it leaves scope.
class OpenKey {
public:
    OpenKey() = default;
    ~OpenKey() {
        if (m_hKey != nullptr) {
            RegCloseKey(m_hKey);
        }
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY* out() { return &m_hKey; }
    HKEY get() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

} // namespace

Win32RegistryStore::Win32RegistryStore(HKEY currentUser, HKEY localMachine)
    : m_hCurrentUser(currentUser)
    , m_hLocalMachine(localMachine) {
    SetKeyPath(kRegistryBaseKey);
}

void Win32RegistryStore::SetKeyPath(const std::u16string& regDiretorio) {
    m_sRegDiretorio = regDiretorio;
    m_sKeyPath = Wide(ResolveRegistryKeyPath(regDiretorio));
}

void Win32RegistryStore::SetRoots(RegistryRoot internal, RegistryRoot backup) {
    m_eInternal = internal;
    m_eBackup = backup;
}

HKEY Win32RegistryStore::Root(RegistryRoot root) const {
    return root == RegistryRoot::CurrentUser ? m_hCurrentUser : m_hLocalMachine;
}

bool Win32RegistryStore::Exists(const std::u16string& name) {
    const std::wstring valueName = Wide(name);
    for (const RegistryRoot root : {m_eInternal, m_eBackup}) {
        // Looking a value up needs no write rights and creates no key.
        OpenKey key;
        if (RegOpenKeyExW(Root(root), m_sKeyPath.c_str(), 0, KEY_QUERY_VALUE, key.out()) !=
            ERROR_SUCCESS) {
            continue;
        }
        const LSTATUS status =
            RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
            m_eFound = root;
            return true;
        }
    }
    m_eFound = m_eInternal;
    return false;
}

void Win32RegistryStore::Write(const std::u16string& name, DWORD type, const void* data,
                               DWORD bytes) {
    OpenKey key;
    if (RegCreateKeyExW(Root(m_eInternal), m_sKeyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, key.out(), nullptr) != ERROR_SUCCESS) {
        throw RegistryStoreError(RegistryWriteErrorMessage(m_sRegDiretorio));
    }
    const std::wstring valueName = Wide(name);
    if (RegSetValueExW(key.get(), valueName.c_str(), 0, type, static_cast<const BYTE*>(data),
                       bytes) != ERROR_SUCCESS) {
        throw RegistryStoreError(RegistryWriteErrorMessage(m_sRegDiretorio));
    }
}

void Win32RegistryStore::WriteInteger(const std::u16string& name, std::int32_t value) {
    DWORD dword = 0;
    std::memcpy(&dword, &value, sizeof dword);
    Write(name, REG_DWORD, &dword, sizeof dword);
}

void Win32RegistryStore::WriteDouble(const std::u16string& name, double value) {
    // Windows is little-endian, so the double's own bytes are the stored bytes.
    static_assert(sizeof(double) == 8);
    Write(name, REG_BINARY, &value, sizeof value);
}

void Win32RegistryStore::WriteString(const std::u16string& name, const std::u16string& value) {
    const std::wstring text = Wide(value);
    Write(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void Win32RegistryStore::WriteBoolean(const std::u16string& name, bool value) {
    const DWORD dword = value ? 1 : 0;
    Write(name, REG_DWORD, &dword, sizeof dword);
}

bool Win32RegistryStore::Read(const std::u16string& name, DWORD& type,
                              std::vector<BYTE>& bytes) const {
    OpenKey key;
    if (RegOpenKeyExW(Root(m_eFound), m_sKeyPath.c_str(), 0, KEY_QUERY_VALUE, key.out()) !=
        ERROR_SUCCESS) {
        return false;
    }
    const std::wstring valueName = Wide(name);
    // The value may grow between the two calls; ask again until it fits.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS) {
            return false;
        }
        bytes.assign(size, 0);
        const LSTATUS status =
            RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, bytes.data(), &size);
        if (status == ERROR_SUCCESS) {
            bytes.resize(size);
            return true;
        }
        if (status != ERROR_MORE_DATA) {
            return false;
        }
    }
    return false;
}

std::int32_t Win32RegistryStore::ReadInteger(const std::u16string& name) {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    if (!Read(name, type, bytes) || type != REG_DWORD || bytes.size() != sizeof(std::int32_t)) {
        return 0;
    }
    std::int32_t value = 0;
    std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

double Win32RegistryStore::ReadDouble(const std::u16string& name) {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    if (!Read(name, type, bytes) || type != REG_BINARY || bytes.size() != sizeof(double)) {
        return 0.0;
    }
    double value = 0.0;
    std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

std::u16string Win32RegistryStore::ReadString(const std::u16string& name) {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    if (!Read(name, type, bytes) || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return {};
    }
    std::u16string text(bytes.size() / sizeof(char16_t), u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(char16_t));
    // The stored text may or may not carry its terminating NULs.
    while (!text.empty() && text.back() == u'\0') {
        text.pop_back();
    }
    return text;
}

bool Win32RegistryStore::ReadBoolean(const std::u16string& name) {
    return ReadInteger(name) != 0;
}

std::unique_ptr<RegistryStore> CreatePlatformRegistryStore() {
    return std::make_unique<Win32RegistryStore>();
}

} // namespace quorvel
