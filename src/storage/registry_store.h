#pragma once
// The registry side of the settings store. Free of Qt, so that the Windows backend
// (registry_store_win32.cpp) builds and runs on its own.
//
// A store holds one key, named like the settings store's RegDiretorio, below two roots: the
// internal root, where values are written and first looked for, and the backup root, where a
// value missing from the internal root is looked for next. On Windows the roots are
// HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE; on Linux the per-user and the system-wide settings
// store.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace quorvel {

enum class RegistryRoot { CurrentUser, LocalMachine };

// A registry write that failed. what() is the message in UTF-8; message() the same in UTF-16.
class RegistryStoreError : public std::runtime_error {
public:
    explicit RegistryStoreError(const std::u16string& message);
    const std::u16string& message() const { return m_sMessage; }

private:
    std::u16string m_sMessage;
};

// The key that a path without a leading "\" lies below, and the default key of a store.
inline constexpr char16_t kRegistryBaseKey[] = u"\\SOFTWARE\\Marivel\\SaveDesktop";

// "SaveDesktop: Registro não pode ser salvo na pasta", a line feed, a carriage return,
// regDiretorio.
std::u16string RegistryWriteErrorMessage(const std::u16string& regDiretorio);

// The key below the root for a RegDiretorio text, with no delimiter at either end and no empty
// levels: "\SOFTWARE\A" gives "SOFTWARE\A"; "Quorvel" (no leading "\") gives
// "SOFTWARE\Marivel\SaveDesktop\Quorvel". "/" counts as a delimiter too.
std::u16string ResolveRegistryKeyPath(const std::u16string& regDiretorio);

std::string Utf16ToUtf8(const std::u16string& text);

class RegistryStore {
public:
    virtual ~RegistryStore() = default;

    // The key as RegDiretorio names it. Nothing is opened or created here.
    virtual void SetKeyPath(const std::u16string& regDiretorio) = 0;
    virtual void SetRoots(RegistryRoot internal, RegistryRoot backup) = 0;

    // True when the value is under the internal root or, failing that, the backup root; the next
    // Read of that name reads it where it was found.
    virtual bool Exists(const std::u16string& name) = 0;

    // Write under the internal root, creating the key when missing. Throw RegistryStoreError with
    // RegistryWriteErrorMessage when the key cannot be opened or created there, or when the value
    // cannot be written.
    virtual void WriteInteger(const std::u16string& name, std::int32_t value) = 0; // DWORD
    virtual void WriteDouble(const std::u16string& name, double value) = 0; // 8 bytes LE binary
    virtual void WriteString(const std::u16string& name, const std::u16string& value) = 0;
    virtual void WriteBoolean(const std::u16string& name, bool value) = 0; // DWORD 1 or 0

    // Read where the last Exists found the value. A value that is missing or of another type than
    // the one written for that kind reads as 0, 0.0, the empty string or false.
    virtual std::int32_t ReadInteger(const std::u16string& name) = 0;
    virtual double ReadDouble(const std::u16string& name) = 0;
    virtual std::u16string ReadString(const std::u16string& name) = 0;
    virtual bool ReadBoolean(const std::u16string& name) = 0;

    // Makes the writes so far durable; throws RegistryStoreError when they could not be stored.
    virtual void Flush() = 0;
};

// The platform's store (the Windows registry, or the per-user/system-wide settings on Linux),
// with the key kRegistryBaseKey and the roots CurrentUser over LocalMachine.
std::unique_ptr<RegistryStore> CreatePlatformRegistryStore();

} // namespace quorvel
