// The settings store's registry backend on the real Windows registry, under Wine. Two scratch keys
// stand for HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, so that no test touches the real roots.

#include "storage/registry_store_win32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace quorvel {
namespace {

constexpr wchar_t kScratch[] = L"Software\\QuorvelWineTests";

class Win32Registry : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
        ASSERT_EQ(Create(L"\\user", m_user), ERROR_SUCCESS);
        ASSERT_EQ(Create(L"\\machine", m_machine), ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(m_user);
        RegCloseKey(m_machine);
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    }

    static LSTATUS Create(const std::wstring& below, HKEY& key) {
        return RegCreateKeyExW(HKEY_CURRENT_USER, (kScratch + below).c_str(), 0, nullptr, 0,
                               KEY_ALL_ACCESS, nullptr, &key, nullptr);
    }

    // A value as another program reads it: its type and bytes, under `root`\`path`.
    static bool Stored(HKEY root, const wchar_t* path, const wchar_t* name, DWORD& type,
                       std::vector<BYTE>& bytes) {
        DWORD size = 0;
        if (RegGetValueW(root, path, name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) !=
            ERROR_SUCCESS) {
            return false;
        }
        bytes.assign(size, 0);
        return RegGetValueW(root, path, name, RRF_RT_ANY | RRF_NOEXPAND, &type, bytes.data(),
                            &size) == ERROR_SUCCESS;
    }

    HKEY m_user = nullptr;
    HKEY m_machine = nullptr;
};

constexpr wchar_t kDefaultKey[] = L"SOFTWARE\\Marivel\\SaveDesktop";

TEST_F(Win32Registry, ValuesKeepTheTypesAndBytesOtherProgramsRead) {
    Win32RegistryStore store(m_user, m_machine);
    store.WriteInteger(u"Left", -99999);
    store.WriteDouble(u"Ratio", 1.5);
    store.WriteString(u"DefaultFolderOpenImages", u"C:\\Imagens\\Distribu\u00edda");
    store.WriteBoolean(u"Maximized", true);

    DWORD type = 0;
    std::vector<BYTE> bytes;
    ASSERT_TRUE(Stored(m_user, kDefaultKey, L"Left", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(bytes, (std::vector<BYTE>{0x61, 0x79, 0xFE, 0xFF}));
    ASSERT_TRUE(Stored(m_user, kDefaultKey, L"Ratio", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(bytes, (std::vector<BYTE>{0, 0, 0, 0, 0, 0, 0xF8, 0x3F}));
    ASSERT_TRUE(Stored(m_user, kDefaultKey, L"DefaultFolderOpenImages", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data())),
              L"C:\\Imagens\\Distribu\u00edda");
    ASSERT_TRUE(Stored(m_user, kDefaultKey, L"Maximized", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(bytes, (std::vector<BYTE>{1, 0, 0, 0}));

    ASSERT_TRUE(store.Exists(u"Left"));
    EXPECT_EQ(store.ReadInteger(u"Left"), -99999);
    ASSERT_TRUE(store.Exists(u"Ratio"));
    EXPECT_EQ(store.ReadDouble(u"Ratio"), 1.5);
    ASSERT_TRUE(store.Exists(u"DefaultFolderOpenImages"));
    EXPECT_EQ(store.ReadString(u"DefaultFolderOpenImages"), u"C:\\Imagens\\Distribu\u00edda");
    ASSERT_TRUE(store.Exists(u"Maximized"));
    EXPECT_TRUE(store.ReadBoolean(u"Maximized"));
}

TEST_F(Win32Registry, AValueMissingForTheUserComesFromTheMachineAndWritesStayWithTheUser) {
    Win32RegistryStore machineOnly(m_machine, m_machine);
    machineOnly.WriteInteger(u"Width", 1024);

    Win32RegistryStore store(m_user, m_machine);
    ASSERT_TRUE(store.Exists(u"Width"));
    EXPECT_EQ(store.ReadInteger(u"Width"), 1024);

    store.WriteInteger(u"Width", 800);
    ASSERT_TRUE(store.Exists(u"Width"));
    EXPECT_EQ(store.ReadInteger(u"Width"), 800);
    ASSERT_TRUE(machineOnly.Exists(u"Width"));
    EXPECT_EQ(machineOnly.ReadInteger(u"Width"), 1024);
}

TEST_F(Win32Registry, MissingOrMistypedValuesReadAsNothing) {
    Win32RegistryStore store(m_user, m_machine);
    EXPECT_FALSE(store.Exists(u"Nothing"));
    EXPECT_EQ(store.ReadInteger(u"Nothing"), 0);
    EXPECT_EQ(store.ReadString(u"Nothing"), u"");

    store.WriteString(u"Text", u"12");
    store.WriteInteger(u"Number", 12);
    ASSERT_TRUE(store.Exists(u"Text"));
    EXPECT_EQ(store.ReadInteger(u"Text"), 0);
    EXPECT_EQ(store.ReadDouble(u"Text"), 0.0);
    ASSERT_TRUE(store.Exists(u"Number"));
    EXPECT_EQ(store.ReadString(u"Number"), u"");
}

TEST_F(Win32Registry, TheKeyPathIsBelowTheDefaultKeyUnlessItStartsWithABackslash) {
    Win32RegistryStore store(m_user, m_machine);
    store.SetKeyPath(u"Quorvel");
    store.WriteInteger(u"Top", 7);
    store.SetKeyPath(u"\\SOFTWARE\\Other/Place\\");
    store.WriteInteger(u"Top", 8);

    DWORD type = 0;
    std::vector<BYTE> bytes;
    ASSERT_TRUE(Stored(m_user, L"SOFTWARE\\Marivel\\SaveDesktop\\Quorvel", L"Top", type, bytes));
    EXPECT_EQ(bytes, (std::vector<BYTE>{7, 0, 0, 0}));
    ASSERT_TRUE(Stored(m_user, L"SOFTWARE\\Other\\Place", L"Top", type, bytes));
    EXPECT_EQ(bytes, (std::vector<BYTE>{8, 0, 0, 0}));
}

TEST_F(Win32Registry, AWriteThatCannotBeMadeThrowsTheMessageTheOperatorSees) {
    // A lasting key cannot be made below a volatile one: the store's write must fail.
    HKEY volatileRoot = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kScratch) + L"\\volatile").c_str(),
                              0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &volatileRoot, nullptr),
              ERROR_SUCCESS);
    Win32RegistryStore store(volatileRoot, m_machine);
    store.SetKeyPath(u"Quorvel");
    try {
        store.WriteInteger(u"Left", 1);
        ADD_FAILURE() << "the write went through";
    } catch (const RegistryStoreError& error) {
        EXPECT_EQ(error.message(), u"SaveDesktop: Registro n\u00e3o pode ser salvo na pasta\n\r"
                                   u"Quorvel");
    }
    RegCloseKey(volatileRoot);
}

} // namespace
} // namespace quorvel
