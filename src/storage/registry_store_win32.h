#pragma once
// The settings store's registry backend on Windows: plain Win32, no Qt.
// Integers and booleans are REG_DWORD, doubles REG_BINARY of the 8 little-endian bytes of the
// IEEE 754 value, strings REG_SZ.

#include "storage/registry_store.h"

#include <windows.h>

#include <string>
#include <vector>

namespace quorvel {

class Win32RegistryStore final : public RegistryStore {
public:
    // The handles that stand for HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE (a test passes keys of
    // its own). The handles stay the caller's.
    explicit Win32RegistryStore(HKEY currentUser = HKEY_CURRENT_USER,
                                HKEY localMachine = HKEY_LOCAL_MACHINE);

    void SetKeyPath(const std::u16string& regDiretorio) override;
    void SetRoots(RegistryRoot internal, RegistryRoot backup) override;
    bool Exists(const std::u16string& name) override;
    void WriteInteger(const std::u16string& name, std::int32_t value) override;
    void WriteDouble(const std::u16string& name, double value) override;
    void WriteString(const std::u16string& name, const std::u16string& value) override;
    void WriteBoolean(const std::u16string& name, bool value) override;
    std::int32_t ReadInteger(const std::u16string& name) override;
    double ReadDouble(const std::u16string& name) override;
    std::u16string ReadString(const std::u16string& name) override;
    bool ReadBoolean(const std::u16string& name) override;
    void Flush() override {}

private:
    HKEY Root(RegistryRoot root) const;
    void Write(const std::u16string& name, DWORD type, const void* data, DWORD bytes);
    // The value's type and bytes where the last Exists found it; false when it cannot be read.
    bool Read(const std::u16string& name, DWORD& type, std::vector<BYTE>& bytes) const;

    HKEY m_hCurrentUser;
    HKEY m_hLocalMachine;
    std::u16string m_sRegDiretorio;
    std::wstring m_sKeyPath;
    RegistryRoot m_eInternal = RegistryRoot::CurrentUser;
    RegistryRoot m_eBackup = RegistryRoot::LocalMachine;
    RegistryRoot m_eFound = RegistryRoot::CurrentUser;
};

} // namespace quorvel
