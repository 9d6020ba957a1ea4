#pragma once
// The settings store: remembers named program values (integer, double, boolean, string) and the
// position and size of registered controls between runs, in an INI settings file or in the
// registry (on Linux a per-user settings store over a system-wide one).
//
// Start-up: register each variable once and assign the result yourself; nothing is written into
// the variable at registration. Close: copy the current values into the registered variables and
// call ExportaControles, which writes every control and variable back. Everything runs on the
// window thread.
//
// A control is any QObject: its objectName() is the component name under which its values are
// stored ("pnTools.Left"), and its geometry is read and written through its properties ("pos",
// "size", "frameGeometry" where a QWidget has them, otherwise a QRect property "geometry").

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace quorvel {

class IniFile;
class RegistryStore;

// A settings write that failed (file not writable, disk full, registry key not writable). The
// message is ready to show to the operator.
class SaveDesktopError : public std::runtime_error {
public:
    explicit SaveDesktopError(const QString& message);
    QString message() const { return m_sMessage; }

private:
    QString m_sMessage;
};

// Ordinal values are what a form stores.
enum class ThKey : int { hkCurrentUser = 0, hkLocalMachine = 1 };
enum class TtoStyle : int { toRegistry = 0, toIniFile = 1 };
enum class TtoStorePlace : int { toUserSettingsFolder = 0, toCurrentFolder = 1 };

// Kind codes of RemoverVariavel (the variant type codes).
inline constexpr std::int32_t kVarInteger = 3;
inline constexpr std::int32_t kVarDouble = 5;
inline constexpr std::int32_t kVarBoolean = 11;
inline constexpr std::int32_t kVarString = 256;

// The registry key, and the INI section, of a store that was not told otherwise.
inline constexpr char16_t kDefaultRegDiretorio[] = u"\\SOFTWARE\\Marivel\\SaveDesktop";

// The marker of a designer window value that was never stored.
inline constexpr std::int32_t kNeverStored = -99999;

// Events. A load handler may change the value that registration returns through the pointer.
using TLoadControlEvent = std::function<void(QObject* oObjeto)>;
using TLoadIntegerEvent =
    std::function<void(const QString& sNome, std::int32_t* piVar, std::int32_t iPadrao)>;
using TLoadDoubleEvent = std::function<void(const QString& sNome, double* pdVar, double dPadrao)>;
using TLoadBooleanEvent = std::function<void(const QString& sNome, bool* pbVar, bool bPadrao)>;
using TLoadStringEvent =
    std::function<void(const QString& sNome, QString* psVar, const QString& sPadrao)>;
using TWritingEvent =
    std::function<void(const QString& sNome, std::int32_t iProgress, std::int32_t iTotal)>;

// Owns the registrations and the logic of loading and writing; talks to the store only through
// the eleven store operations, which a derived class implements. The store is neither owner of
// the registered variables nor of the controls: variables must outlive the store's use of them;
// a control that is destroyed is skipped.
class TCustomSaveDesktop : public QObject {
    Q_OBJECT
public:
    explicit TCustomSaveDesktop(QObject* owner = nullptr);
    ~TCustomSaveDesktop() override;

    TCustomSaveDesktop(const TCustomSaveDesktop&) = delete;
    TCustomSaveDesktop& operator=(const TCustomSaveDesktop&) = delete;

    // Registers a variable and returns its stored value, or the default when none is stored.
    std::int32_t AdicionarVariavel(const QString& sNome, std::int32_t* piVar, std::int32_t iPadrao);
    double AdicionarVariavel(const QString& sNome, double* pdVar, double dPadrao);
    bool AdicionarVariavel(const QString& sNome, bool* pbVar, bool bPadrao);
    QString AdicionarVariavel(const QString& sNome, QString* psVar, const QString& sPadrao);

    // Removes the first registration of that name (case-insensitive, by the locale's rules) in the
    // kind given by kVarInteger, kVarDouble, kVarBoolean or kVarString; any other code removes
    // nothing.
    void RemoverVariavel(const QString& sNome, std::int32_t iVariavel);
    // Forgets every variable of every kind; controls stay registered.
    void RemoverTodasVariaveis();
    // A variable of that name is registered, of any kind (ignores the case of a-z only). Does not
    // look into the store.
    bool ExisteVariavel(const QString& sNome) const;
    // Every registered variable receives its stored value or its default. No event is called.
    void RecarregarVariaveis();

    // Registers a control and restores it from the store: Left and Top, and with bSizable also
    // Height, Width, ClientWidth and ClientHeight.
    void AdicionarControle(QObject* oObjeto, bool bSizable);
    void RemoverControle(QObject* oObjeto);

    // Writes the geometry of every control, then every variable (integers, doubles, booleans,
    // strings). Every value is attempted; the first failure is then thrown as SaveDesktopError.
    void ExportaControles();
    void ExportaControlesInteger();
    void ExportaControlesDouble();
    void ExportaControlesBoolean();
    void ExportaControlesString();
    // Writes the first registered variable whose name is exactly sNome (case counts).
    void ExportaControle(const QString& sNome);

    // ExportaControles for a close handler: never throws; the empty string on success, otherwise
    // the message to show. The close goes on either way.
    [[nodiscard]] QString TryExportaControles() noexcept;

    const TLoadControlEvent& OnLoadControle() const { return FOnLoadControl; }
    void SetOnLoadControle(TLoadControlEvent handler) { FOnLoadControl = std::move(handler); }
    const TLoadStringEvent& OnLoadString() const { return FOnLoadString; }
    void SetOnLoadString(TLoadStringEvent handler) { FOnLoadString = std::move(handler); }
    const TLoadIntegerEvent& OnLoadInteger() const { return FOnLoadInteger; }
    void SetOnLoadInteger(TLoadIntegerEvent handler) { FOnLoadInteger = std::move(handler); }
    const TLoadBooleanEvent& OnLoadBoolean() const { return FOnLoadBoolean; }
    void SetOnLoadBoolean(TLoadBooleanEvent handler) { FOnLoadBoolean = std::move(handler); }
    const TLoadDoubleEvent& OnLoadDouble() const { return FOnLoadDouble; }
    void SetOnLoadDouble(TLoadDoubleEvent handler) { FOnLoadDouble = std::move(handler); }
    const TWritingEvent& OnWriting() const { return FOnWriting; }
    void SetOnWriting(TWritingEvent handler) { FOnWriting = std::move(handler); }

protected:
    // The store operations. The Le operations are only called right after an ExisteValor of the
    // same name that returned true. Grava operations throw SaveDesktopError.
    virtual bool ExisteValor(const QString& sNome) = 0;
    virtual void GravaInteger(const QString& sNome, std::int32_t iValor) = 0;
    virtual void GravaDouble(const QString& sNome, double dValor) = 0;
    virtual void GravaString(const QString& sNome, const QString& sValor) = 0;
    virtual void GravaBoolean(const QString& sNome, bool bValor) = 0;
    virtual std::int32_t LeInteger(const QString& sNome) = 0;
    virtual double LeDouble(const QString& sNome) = 0;
    virtual QString LeString(const QString& sNome) = 0;
    virtual bool LeBoolean(const QString& sNome) = 0;
    // A derived class calls AbreArmazenamento at the end of its constructor and
    // FechaArmazenamento first in its destructor (a base cannot call them there).
    virtual void AbreArmazenamento() = 0;
    virtual void FechaArmazenamento() = 0;

    // Brackets a run of Grava calls (an export) so that a store can write them in one step.
    // EndWrites throws SaveDesktopError when that step fails.
    virtual void BeginWrites() {}
    virtual void EndWrites() {}

    std::int32_t LeIntegerPadrao(const QString& sNome, std::int32_t iPadrao);
    double LeDoublePadrao(const QString& sNome, double dPadrao);
    bool LeBooleanPadrao(const QString& sNome, bool bPadrao);
    QString LeStringPadrao(const QString& sNome, const QString& sPadrao);

    // "pnTools" and "Left" give "pnTools.Left".
    static QString NomeValorControle(const QObject* oObjeto, const QString& sPropriedade);
    void RestauraControle(QObject* oObjeto, bool bSizable);

private:
    template <typename T>
    struct Registrations {
        std::vector<T*> pointers;
        std::vector<T> defaults;
        std::vector<QString> names;
        std::size_t size() const { return names.size(); }
        void erase(std::size_t i);
        void clear();
    };

    class WriteBatch;
    void ExportaControlesGeometria(WriteBatch& batch);
    void ExportaIntegers(WriteBatch& batch);
    void ExportaDoubles(WriteBatch& batch);
    void ExportaBooleans(WriteBatch& batch);
    void ExportaStrings(WriteBatch& batch);

    std::vector<QPointer<QObject>> m_oControleLista;
    Registrations<std::int32_t> m_oInteger;
    Registrations<double> m_oDouble;
    Registrations<QString> m_oString;
    Registrations<bool> m_oBoolean;

    TLoadControlEvent FOnLoadControl;
    TLoadStringEvent FOnLoadString;
    TLoadIntegerEvent FOnLoadInteger;
    TLoadBooleanEvent FOnLoadBoolean;
    TLoadDoubleEvent FOnLoadDouble;
    TWritingEvent FOnWriting;
};

// The settings file for a place: toCurrentFolder gives <executable folder>/<executable>.sav;
// toUserSettingsFolder with an empty or blank custom folder gives
// <application data>/<executable>/<executable>.sav, and with a custom folder C
// <application data>/C/C.sav (C untrimmed). Creates the folder for toUserSettingsFolder.
// The designer's file is SettingsFilePath(TtoStorePlace::toUserSettingsFolder, {}).
QString SettingsFilePath(TtoStorePlace place, const QString& customUserSettingsFolder);

// The store in the registry or in an INI file. Properties after construction: RegDiretorio
// kDefaultRegDiretorio, HKey hkCurrentUser, Style toRegistry, StoreIni toUserSettingsFolder,
// CustomUserSettingsFolder empty. A form applies them in that order.
//
// INI mode: one section named RegDiretorio, "name=value" lines; integers in decimal, booleans 1 or
// 0, doubles in general format with up to 15 significant digits, strings as they are. Other
// sections, unknown keys, comments and blank lines of the file are kept. An export reads the file
// afresh, applies its values and replaces the file in one step through a temporary file.
//
// Registry mode: key RegDiretorio below the HKey root (a path without a leading "\" lies below
// kDefaultRegDiretorio); reads fall back to the other root. On Linux the roots are the per-user
// and the system-wide settings store (QSettings user scope and system scope).
class TSaveDesktop : public TCustomSaveDesktop {
    Q_OBJECT
public:
    explicit TSaveDesktop(QObject* owner = nullptr);
    ~TSaveDesktop() override;

    QString RegDiretorio() const { return FRegDiretorio; }
    void SetRegDiretorio(const QString& value);
    ThKey HKey() const { return FHKey; }
    void SetHKey(ThKey value);
    TtoStyle Style() const { return FtoStyle; }
    void SetStyle(TtoStyle value) { FtoStyle = value; }
    TtoStorePlace StoreIni() const { return FtoStorePlace; }
    void SetStoreIni(TtoStorePlace value);
    QString CustomUserSettingsFolder() const { return FCustomUserSettingsFolder; }
    void SetCustomUserSettingsFolder(const QString& value);

    // The settings file that INI mode reads and writes (fixed by StoreIni and
    // CustomUserSettingsFolder).
    QString IniFileName() const;

protected:
    bool ExisteValor(const QString& sNome) override;
    void GravaInteger(const QString& sNome, std::int32_t iValor) override;
    void GravaDouble(const QString& sNome, double dValor) override;
    void GravaString(const QString& sNome, const QString& sValor) override;
    void GravaBoolean(const QString& sNome, bool bValor) override;
    std::int32_t LeInteger(const QString& sNome) override;
    double LeDouble(const QString& sNome) override;
    QString LeString(const QString& sNome) override;
    bool LeBoolean(const QString& sNome) override;
    void AbreArmazenamento() override;
    void FechaArmazenamento() override;
    void BeginWrites() override;
    void EndWrites() override;

private:
    void ApplyRoots();
    void IniWrite(const QString& sNome, const QString& sTexto);
    void CommitIni();
    QString IniText(const QString& sNome) const;

    QString FRegDiretorio;
    std::unique_ptr<RegistryStore> m_oRegistro;
    std::unique_ptr<IniFile> m_oIniFile;
    ThKey FHKey = ThKey::hkCurrentUser;
    TtoStyle FtoStyle = TtoStyle::toRegistry;
    TtoStorePlace FtoStorePlace = TtoStorePlace::toUserSettingsFolder;
    QString FCustomUserSettingsFolder;

    // INI values written since BeginWrites, in write order, applied to the file at EndWrites.
    std::vector<std::pair<QString, QString>> m_oPendingIni;
    int m_iWriteDepth = 0;
};

// The text forms of the INI file. A text that does not convert gives 0, 0.0 or false.
QString IniFormatDouble(double value); // general format, up to 15 significant digits
std::int32_t IniParseInteger(const QString& text);
double IniParseDouble(const QString& text); // accepts "." and "," as the decimal separator
bool IniParseBoolean(const QString& text);  // any non-zero integer is true

} // namespace quorvel
