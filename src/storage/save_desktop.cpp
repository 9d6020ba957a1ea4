#include "storage/save_desktop.h"

#include "storage/ini_file.h"
#include "storage/registry_store.h"
#include "util/helpers.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace quorvel {

namespace {

const QString kLeft = QStringLiteral("Left");
const QString kTop = QStringLiteral("Top");
const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");
const QString kClientWidth = QStringLiteral("ClientWidth");
const QString kClientHeight = QStringLiteral("ClientHeight");

// ---- Control geometry through QObject properties ----
// A QWidget has "pos" (the outer top-left corner of a window), "size" (its client size),
// "frameGeometry" (read-only, outer) and "geometry" (client); a stand-in object may have only a
// QRect "geometry".

std::optional<QPoint> PointProperty(const QObject* control, const char* name) {
    const QVariant value = control->property(name);
    if (value.typeId() == QMetaType::QPoint) {
        return value.toPoint();
    }
    return std::nullopt;
}

std::optional<QSize> SizeProperty(const QObject* control, const char* name) {
    const QVariant value = control->property(name);
    if (value.typeId() == QMetaType::QSize) {
        return value.toSize();
    }
    return std::nullopt;
}

QRect Geometry(const QObject* control) {
    return control->property("geometry").toRect();
}

QPoint OuterPosition(const QObject* control) {
    return PointProperty(control, "pos").value_or(Geometry(control).topLeft());
}

QSize ClientSize(const QObject* control) {
    return SizeProperty(control, "size").value_or(Geometry(control).size());
}

QSize OuterSize(const QObject* control) {
    const QVariant frame = control->property("frameGeometry");
    if (frame.typeId() == QMetaType::QRect && frame.toRect().isValid()) {
        return frame.toRect().size();
    }
    return ClientSize(control);
}

void MoveTo(QObject* control, QPoint position) {
    if (PointProperty(control, "pos")) {
        control->setProperty("pos", position);
    } else {
        QRect geometry = Geometry(control);
        geometry.moveTopLeft(position);
        control->setProperty("geometry", geometry);
    }
}

void ResizeClient(QObject* control, QSize size) {
    if (SizeProperty(control, "size")) {
        control->setProperty("size", size);
    } else {
        QRect geometry = Geometry(control);
        geometry.setSize(size);
        control->setProperty("geometry", geometry);
    }
}

// An outer size is the client size plus the window frame.
void ResizeOuter(QObject* control, QSize outer) {
    const QSize frame = OuterSize(control) - ClientSize(control);
    ResizeClient(control, outer - frame);
}

// ---- Name comparisons ----

char16_t AsciiUpper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool EqualsIgnoringAsciiCase(const QString& a, const QString& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i].unicode()) != AsciiUpper(b[i].unicode())) {
            return false;
        }
    }
    return true;
}

bool EqualsIgnoringCaseByLocale(const QString& a, const QString& b) {
    const QLocale locale = QLocale::system();
    return QString::localeAwareCompare(locale.toLower(a), locale.toLower(b)) == 0;
}

template <typename T>
std::size_t FindIndex(const std::vector<QString>& names, const std::vector<T*>& pointers,
                      const QString& name) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (pointers[i] != nullptr && names[i] == name) {
            return i;
        }
    }
    return names.size();
}

std::int32_t ToInt32(std::size_t value) {
    return static_cast<std::int32_t>(value);
}

} // namespace

// ---- Text forms ----

QString IniFormatDouble(double value) {
    if (std::isnan(value)) {
        return QStringLiteral("NAN");
    }
    if (std::isinf(value)) {
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    }
    if (value == 0.0) {
        return QStringLiteral("0");
    }
    // 15 significant digits: d.dddddddddddddde[+-]xx, then trailing zeros dropped.
    // to_chars, unlike printf, ignores the C locale that the application sets from the user's.
    char buffer[40];
    const auto written = std::to_chars(std::begin(buffer), std::end(buffer), value,
                                       std::chars_format::scientific, 14);
    const QString text =
        QString::fromLatin1(buffer, static_cast<qsizetype>(written.ptr - std::begin(buffer)));
    const qsizetype e = text.indexOf(u'e');
    const bool negative = text.startsWith(u'-');
    QString digits = text.first(e).remove(u'-').remove(u'.');
    const int exponent = text.sliced(e + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(u'0')) {
        digits.chop(1);
    }

    const QString separator = QLocale().decimalPoint();
    QString out = negative ? QStringLiteral("-") : QString();
    if (exponent >= 15 || exponent < -5) {
        out += digits.first(1);
        if (digits.size() > 1) {
            out += separator + digits.sliced(1);
        }
        out += u'E' + QString::number(exponent);
    } else if (exponent < 0) {
        out += u'0' + separator + QString(-exponent - 1, u'0') + digits;
    } else if (digits.size() > exponent + 1) {
        out += digits.first(exponent + 1) + separator + digits.sliced(exponent + 1);
    } else {
        out += digits + QString(exponent + 1 - digits.size(), u'0');
    }
    return out;
}

std::int32_t IniParseInteger(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

double IniParseDouble(const QString& text) {
    const QString trimmed = text.trimmed();
    // QString::toDouble reads the C locale and, unlike QLocale::c(), takes no group separators:
    // "0,125" must not read as 125.
    bool ok = false;
    double value = trimmed.toDouble(&ok);
    if (!ok && trimmed.count(u',') == 1 && !trimmed.contains(u'.')) {
        // A file written where the decimal separator is a comma.
        value = QString(trimmed).replace(u',', u'.').toDouble(&ok);
    }
    return ok ? value : 0.0;
}

bool IniParseBoolean(const QString& text) {
    return IniParseInteger(text) != 0;
}

SaveDesktopError::SaveDesktopError(const QString& message)
    : std::runtime_error(message.toStdString())
    , m_sMessage(message) {}

// ---- Registrations ----

template <typename T>
void TCustomSaveDesktop::Registrations<T>::erase(std::size_t i) {
    pointers.erase(pointers.begin() + static_cast<std::ptrdiff_t>(i));
    defaults.erase(defaults.begin() + static_cast<std::ptrdiff_t>(i));
    names.erase(names.begin() + static_cast<std::ptrdiff_t>(i));
}

template <typename T>
void TCustomSaveDesktop::Registrations<T>::clear() {
    pointers.clear();
    defaults.clear();
    names.clear();
}

// Brackets a run of writes: every write is attempted, the first failure is kept and thrown when
// the run ends, after the store has written what it could.
class TCustomSaveDesktop::WriteBatch {
public:
    explicit WriteBatch(TCustomSaveDesktop& store)
        : m_oStore(store) {
        m_oStore.BeginWrites();
    }
    ~WriteBatch() {
        if (!m_bFinished) {
            // Left by an exception from an event handler; that exception is the one that counts.
            try {
                m_oStore.EndWrites();
            } catch (const SaveDesktopError&) {
            }
        }
    }
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;

    template <typename Write>
    void Attempt(Write&& write) {
        try {
            write();
        } catch (const SaveDesktopError& error) {
            if (!m_oFirstError) {
                m_oFirstError = error;
            }
        }
    }

    void Finish() {
        m_bFinished = true;
        Attempt([this] { m_oStore.EndWrites(); });
        if (m_oFirstError) {
            throw *m_oFirstError;
        }
    }

private:
    TCustomSaveDesktop& m_oStore;
    std::optional<SaveDesktopError> m_oFirstError;
    bool m_bFinished = false;
};

TCustomSaveDesktop::TCustomSaveDesktop(QObject* owner)
    : QObject(owner) {}

TCustomSaveDesktop::~TCustomSaveDesktop() = default;

std::int32_t TCustomSaveDesktop::AdicionarVariavel(const QString& sNome, std::int32_t* piVar,
                                                   std::int32_t iPadrao) {
    m_oInteger.pointers.push_back(piVar);
    m_oInteger.names.push_back(sNome);
    m_oInteger.defaults.push_back(iPadrao);
    std::int32_t value = LeIntegerPadrao(sNome, iPadrao);
    if (FOnLoadInteger) {
        FOnLoadInteger(sNome, &value, iPadrao);
    }
    return value;
}

double TCustomSaveDesktop::AdicionarVariavel(const QString& sNome, double* pdVar, double dPadrao) {
    m_oDouble.pointers.push_back(pdVar);
    m_oDouble.names.push_back(sNome);
    m_oDouble.defaults.push_back(dPadrao);
    double value = LeDoublePadrao(sNome, dPadrao);
    if (FOnLoadDouble) {
        FOnLoadDouble(sNome, &value, dPadrao);
    }
    return value;
}

bool TCustomSaveDesktop::AdicionarVariavel(const QString& sNome, bool* pbVar, bool bPadrao) {
    m_oBoolean.pointers.push_back(pbVar);
    m_oBoolean.names.push_back(sNome);
    m_oBoolean.defaults.push_back(bPadrao);
    bool value = LeBooleanPadrao(sNome, bPadrao);
    if (FOnLoadBoolean) {
        FOnLoadBoolean(sNome, &value, bPadrao);
    }
    return value;
}

QString TCustomSaveDesktop::AdicionarVariavel(const QString& sNome, QString* psVar,
                                              const QString& sPadrao) {
    m_oString.pointers.push_back(psVar);
    m_oString.names.push_back(sNome);
    m_oString.defaults.push_back(sPadrao);
    QString value = LeStringPadrao(sNome, sPadrao);
    if (FOnLoadString) {
        FOnLoadString(sNome, &value, sPadrao);
    }
    return value;
}

void TCustomSaveDesktop::RemoverVariavel(const QString& sNome, std::int32_t iVariavel) {
    const auto removeFirst = [&sNome](auto& registrations) {
        for (std::size_t i = 0; i < registrations.size(); ++i) {
            if (EqualsIgnoringCaseByLocale(registrations.names[i], sNome)) {
                registrations.erase(i);
                return;
            }
        }
    };
    switch (iVariavel) {
    case kVarInteger:
        removeFirst(m_oInteger);
        break;
    case kVarDouble:
        removeFirst(m_oDouble);
        break;
    case kVarBoolean:
        removeFirst(m_oBoolean);
        break;
    case kVarString:
        removeFirst(m_oString);
        break;
    default:
        break;
    }
}

void TCustomSaveDesktop::RemoverTodasVariaveis() {
    m_oInteger.clear();
    m_oDouble.clear();
    m_oString.clear();
    m_oBoolean.clear();
}

bool TCustomSaveDesktop::ExisteVariavel(const QString& sNome) const {
    const auto has = [&sNome](const std::vector<QString>& names) {
        return std::any_of(names.begin(), names.end(), [&sNome](const QString& name) {
            return EqualsIgnoringAsciiCase(name, sNome);
        });
    };
    return has(m_oInteger.names) || has(m_oString.names) || has(m_oBoolean.names) ||
           has(m_oDouble.names);
}

void TCustomSaveDesktop::RecarregarVariaveis() {
    for (std::size_t i = 0; i < m_oInteger.size(); ++i) {
        if (m_oInteger.pointers[i] != nullptr) {
            *m_oInteger.pointers[i] = LeIntegerPadrao(m_oInteger.names[i], m_oInteger.defaults[i]);
        }
    }
    for (std::size_t i = 0; i < m_oString.size(); ++i) {
        if (m_oString.pointers[i] != nullptr) {
            *m_oString.pointers[i] = LeStringPadrao(m_oString.names[i], m_oString.defaults[i]);
        }
    }
    for (std::size_t i = 0; i < m_oBoolean.size(); ++i) {
        if (m_oBoolean.pointers[i] != nullptr) {
            *m_oBoolean.pointers[i] = LeBooleanPadrao(m_oBoolean.names[i], m_oBoolean.defaults[i]);
        }
    }
    for (std::size_t i = 0; i < m_oDouble.size(); ++i) {
        if (m_oDouble.pointers[i] != nullptr) {
            *m_oDouble.pointers[i] = LeDoublePadrao(m_oDouble.names[i], m_oDouble.defaults[i]);
        }
    }
}

void TCustomSaveDesktop::AdicionarControle(QObject* oObjeto, bool bSizable) {
    if (oObjeto == nullptr) {
        return;
    }
    m_oControleLista.emplace_back(oObjeto);
    RestauraControle(oObjeto, bSizable);
    if (FOnLoadControl) {
        FOnLoadControl(oObjeto);
    }
}

void TCustomSaveDesktop::RemoverControle(QObject* oObjeto) {
    std::erase_if(m_oControleLista,
                  [oObjeto](const QPointer<QObject>& control) { return control == oObjeto; });
}

void TCustomSaveDesktop::RestauraControle(QObject* oObjeto, bool bSizable) {
    if (oObjeto == nullptr) {
        return;
    }
    const auto stored = [this, oObjeto](const QString& property) -> std::optional<std::int32_t> {
        const QString name = NomeValorControle(oObjeto, property);
        if (ExisteValor(name)) {
            return LeInteger(name);
        }
        return std::nullopt;
    };
    if (const auto left = stored(kLeft)) {
        MoveTo(oObjeto, QPoint(*left, OuterPosition(oObjeto).y()));
    }
    if (const auto top = stored(kTop)) {
        MoveTo(oObjeto, QPoint(OuterPosition(oObjeto).x(), *top));
    }
    if (!bSizable) {
        return;
    }
    // Client sizes come last, so they win over the outer sizes.
    if (const auto height = stored(kHeight)) {
        ResizeOuter(oObjeto, QSize(OuterSize(oObjeto).width(), *height));
    }
    if (const auto width = stored(kWidth)) {
        ResizeOuter(oObjeto, QSize(*width, OuterSize(oObjeto).height()));
    }
    if (const auto clientWidth = stored(kClientWidth)) {
        ResizeClient(oObjeto, QSize(*clientWidth, ClientSize(oObjeto).height()));
    }
    if (const auto clientHeight = stored(kClientHeight)) {
        ResizeClient(oObjeto, QSize(ClientSize(oObjeto).width(), *clientHeight));
    }
}

QString TCustomSaveDesktop::NomeValorControle(const QObject* oObjeto, const QString& sPropriedade) {
    return oObjeto->objectName() + u'.' + sPropriedade;
}

std::int32_t TCustomSaveDesktop::LeIntegerPadrao(const QString& sNome, std::int32_t iPadrao) {
    return ExisteValor(sNome) ? LeInteger(sNome) : iPadrao;
}

double TCustomSaveDesktop::LeDoublePadrao(const QString& sNome, double dPadrao) {
    return ExisteValor(sNome) ? LeDouble(sNome) : dPadrao;
}

bool TCustomSaveDesktop::LeBooleanPadrao(const QString& sNome, bool bPadrao) {
    return ExisteValor(sNome) ? LeBoolean(sNome) : bPadrao;
}

QString TCustomSaveDesktop::LeStringPadrao(const QString& sNome, const QString& sPadrao) {
    return ExisteValor(sNome) ? LeString(sNome) : sPadrao;
}

// ---- Exports ----

void TCustomSaveDesktop::ExportaControlesGeometria(WriteBatch& batch) {
    const std::int32_t total = ToInt32(m_oControleLista.size());
    for (std::size_t i = 0; i < m_oControleLista.size(); ++i) {
        QObject* control = m_oControleLista[i];
        if (control == nullptr) {
            continue;
        }
        const QPoint position = OuterPosition(control);
        const QSize outer = OuterSize(control);
        const QSize client = ClientSize(control);
        const std::pair<const QString&, int> values[] = {
            {kLeft, position.x()},
            {kTop, position.y()},
            {kHeight, outer.height()},
            {kWidth, outer.width()},
            {kClientHeight, client.height()},
            {kClientWidth, client.width()},
        };
        for (const auto& entry : values) {
            batch.Attempt(
                [&, this] { GravaInteger(NomeValorControle(control, entry.first), entry.second); });
        }
        if (FOnWriting) {
            FOnWriting(control->objectName(), ToInt32(i), total);
        }
    }
}

void TCustomSaveDesktop::ExportaIntegers(WriteBatch& batch) {
    for (std::size_t i = 0; i < m_oInteger.size(); ++i) {
        if (m_oInteger.pointers[i] == nullptr) {
            continue;
        }
        batch.Attempt([&, this] { GravaInteger(m_oInteger.names[i], *m_oInteger.pointers[i]); });
        if (FOnWriting) {
            FOnWriting(m_oInteger.names[i], ToInt32(i), ToInt32(m_oInteger.size()));
        }
    }
}

void TCustomSaveDesktop::ExportaDoubles(WriteBatch& batch) {
    for (std::size_t i = 0; i < m_oDouble.size(); ++i) {
        if (m_oDouble.pointers[i] == nullptr) {
            continue;
        }
        batch.Attempt([&, this] { GravaDouble(m_oDouble.names[i], *m_oDouble.pointers[i]); });
        if (FOnWriting) {
            FOnWriting(m_oDouble.names[i], ToInt32(i), ToInt32(m_oDouble.size()));
        }
    }
}

void TCustomSaveDesktop::ExportaBooleans(WriteBatch& batch) {
    for (std::size_t i = 0; i < m_oBoolean.size(); ++i) {
        if (m_oBoolean.pointers[i] == nullptr) {
            continue;
        }
        batch.Attempt([&, this] { GravaBoolean(m_oBoolean.names[i], *m_oBoolean.pointers[i]); });
        if (FOnWriting) {
            FOnWriting(m_oBoolean.names[i], ToInt32(i), ToInt32(m_oBoolean.size()));
        }
    }
}

void TCustomSaveDesktop::ExportaStrings(WriteBatch& batch) {
    for (std::size_t i = 0; i < m_oString.size(); ++i) {
        if (m_oString.pointers[i] == nullptr) {
            continue;
        }
        batch.Attempt([&, this] { GravaString(m_oString.names[i], *m_oString.pointers[i]); });
        if (FOnWriting) {
            FOnWriting(m_oString.names[i], ToInt32(i), ToInt32(m_oString.size()));
        }
    }
}

void TCustomSaveDesktop::ExportaControles() {
    WriteBatch batch(*this);
    ExportaControlesGeometria(batch);
    ExportaIntegers(batch);
    ExportaDoubles(batch);
    ExportaBooleans(batch);
    ExportaStrings(batch);
    batch.Finish();
}

void TCustomSaveDesktop::ExportaControlesInteger() {
    WriteBatch batch(*this);
    ExportaIntegers(batch);
    batch.Finish();
}

void TCustomSaveDesktop::ExportaControlesDouble() {
    WriteBatch batch(*this);
    ExportaDoubles(batch);
    batch.Finish();
}

void TCustomSaveDesktop::ExportaControlesBoolean() {
    WriteBatch batch(*this);
    ExportaBooleans(batch);
    batch.Finish();
}

void TCustomSaveDesktop::ExportaControlesString() {
    WriteBatch batch(*this);
    ExportaStrings(batch);
    batch.Finish();
}

void TCustomSaveDesktop::ExportaControle(const QString& sNome) {
    WriteBatch batch(*this);
    const auto writeOne = [&, this](auto& registrations, auto write) {
        const std::size_t i = FindIndex(registrations.names, registrations.pointers, sNome);
        if (i == registrations.size()) {
            return false;
        }
        batch.Attempt([&] { write(registrations.names[i], *registrations.pointers[i]); });
        if (FOnWriting) {
            FOnWriting(registrations.names[i], ToInt32(i), ToInt32(registrations.size()));
        }
        return true;
    };
    const bool written =
        writeOne(m_oInteger,
                 [this](const QString& name, std::int32_t value) { GravaInteger(name, value); }) ||
        writeOne(m_oString,
                 [this](const QString& name, const QString& value) { GravaString(name, value); }) ||
        writeOne(m_oBoolean,
                 [this](const QString& name, bool value) { GravaBoolean(name, value); }) ||
        writeOne(m_oDouble,
                 [this](const QString& name, double value) { GravaDouble(name, value); });
    static_cast<void>(written);
    batch.Finish();
}

QString TCustomSaveDesktop::TryExportaControles() noexcept {
    try {
        ExportaControles();
        return {};
    } catch (const SaveDesktopError& error) {
        return error.message();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("SaveDesktop: erro desconhecido ao salvar as configurações");
    }
}

// ---- TSaveDesktop ----

QString SettingsFilePath(TtoStorePlace place, const QString& customUserSettingsFolder) {
    if (place == TtoStorePlace::toCurrentFolder) {
        return ExecutableFolder() + ExecutableBaseName() + QStringLiteral(".sav");
    }
    if (customUserSettingsFolder.trimmed().isEmpty()) {
        return GetUserDataFolder(QString()) + ExecutableBaseName() + QStringLiteral(".sav");
    }
    return GetUserDataFolder(customUserSettingsFolder) + customUserSettingsFolder +
           QStringLiteral(".sav");
}

TSaveDesktop::TSaveDesktop(QObject* owner)
    : TCustomSaveDesktop(owner)
    , FRegDiretorio(QString::fromUtf16(kDefaultRegDiretorio)) {
    AbreArmazenamento();
    SetHKey(ThKey::hkCurrentUser);
    FtoStyle = TtoStyle::toRegistry;
    SetStoreIni(TtoStorePlace::toUserSettingsFolder);
    FCustomUserSettingsFolder.clear();
}

TSaveDesktop::~TSaveDesktop() {
    FechaArmazenamento();
}

void TSaveDesktop::SetRegDiretorio(const QString& value) {
    FRegDiretorio = value;
    if (m_oRegistro) {
        m_oRegistro->SetKeyPath(value.toStdU16String());
    }
}

void TSaveDesktop::SetHKey(ThKey value) {
    FHKey = value;
    ApplyRoots();
}

void TSaveDesktop::SetStoreIni(TtoStorePlace value) {
    FtoStorePlace = value;
    m_oIniFile = std::make_unique<IniFile>(SettingsFilePath(value, FCustomUserSettingsFolder));
}

void TSaveDesktop::SetCustomUserSettingsFolder(const QString& value) {
    FCustomUserSettingsFolder = value;
    SetStoreIni(FtoStorePlace);
}

QString TSaveDesktop::IniFileName() const {
    return m_oIniFile ? m_oIniFile->Path() : QString();
}

void TSaveDesktop::ApplyRoots() {
    if (!m_oRegistro) {
        return;
    }
    if (FHKey == ThKey::hkCurrentUser) {
        m_oRegistro->SetRoots(RegistryRoot::CurrentUser, RegistryRoot::LocalMachine);
    } else {
        m_oRegistro->SetRoots(RegistryRoot::LocalMachine, RegistryRoot::CurrentUser);
    }
}

void TSaveDesktop::AbreArmazenamento() {
    m_oRegistro = CreatePlatformRegistryStore();
    ApplyRoots();
    m_oRegistro->SetKeyPath(FRegDiretorio.toStdU16String());
}

void TSaveDesktop::FechaArmazenamento() {
    m_oRegistro.reset();
    m_oIniFile.reset();
}

bool TSaveDesktop::ExisteValor(const QString& sNome) {
    if (FtoStyle == TtoStyle::toRegistry) {
        return m_oRegistro && m_oRegistro->Exists(sNome.toStdU16String());
    }
    if (!m_oIniFile) {
        return false;
    }
    try {
        m_oIniFile->Load();
    } catch (const IniFileError&) {
        // An unreadable file gives the defaults; the next write reports it.
    }
    return m_oIniFile->Contains(FRegDiretorio, sNome);
}

QString TSaveDesktop::IniText(const QString& sNome) const {
    return m_oIniFile ? m_oIniFile->Value(FRegDiretorio, sNome).value_or(QString()) : QString();
}

std::int32_t TSaveDesktop::LeInteger(const QString& sNome) {
    if (FtoStyle == TtoStyle::toRegistry) {
        return m_oRegistro ? m_oRegistro->ReadInteger(sNome.toStdU16String()) : 0;
    }
    return IniParseInteger(IniText(sNome));
}

double TSaveDesktop::LeDouble(const QString& sNome) {
    if (FtoStyle == TtoStyle::toRegistry) {
        return m_oRegistro ? m_oRegistro->ReadDouble(sNome.toStdU16String()) : 0.0;
    }
    return IniParseDouble(IniText(sNome));
}

QString TSaveDesktop::LeString(const QString& sNome) {
    if (FtoStyle == TtoStyle::toRegistry) {
        return m_oRegistro
                   ? QString::fromStdU16String(m_oRegistro->ReadString(sNome.toStdU16String()))
                   : QString();
    }
    return IniText(sNome);
}

bool TSaveDesktop::LeBoolean(const QString& sNome) {
    if (FtoStyle == TtoStyle::toRegistry) {
        return m_oRegistro && m_oRegistro->ReadBoolean(sNome.toStdU16String());
    }
    return IniParseBoolean(IniText(sNome));
}

namespace {

template <typename Write>
void RegistryWrite(RegistryStore* registry, const QString& regDiretorio, Write&& write) {
    if (registry == nullptr) {
        throw SaveDesktopError(
            QString::fromStdU16String(RegistryWriteErrorMessage(regDiretorio.toStdU16String())));
    }
    try {
        write(*registry);
    } catch (const RegistryStoreError& error) {
        throw SaveDesktopError(QString::fromStdU16String(error.message()));
    }
}

} // namespace

void TSaveDesktop::GravaInteger(const QString& sNome, std::int32_t iValor) {
    if (FtoStyle == TtoStyle::toIniFile) {
        IniWrite(sNome, QString::number(iValor));
        return;
    }
    RegistryWrite(m_oRegistro.get(), FRegDiretorio, [&](RegistryStore& registry) {
        registry.WriteInteger(sNome.toStdU16String(), iValor);
        if (m_iWriteDepth == 0) {
            registry.Flush();
        }
    });
}

void TSaveDesktop::GravaDouble(const QString& sNome, double dValor) {
    if (FtoStyle == TtoStyle::toIniFile) {
        IniWrite(sNome, IniFormatDouble(dValor));
        return;
    }
    RegistryWrite(m_oRegistro.get(), FRegDiretorio, [&](RegistryStore& registry) {
        registry.WriteDouble(sNome.toStdU16String(), dValor);
        if (m_iWriteDepth == 0) {
            registry.Flush();
        }
    });
}

void TSaveDesktop::GravaString(const QString& sNome, const QString& sValor) {
    if (FtoStyle == TtoStyle::toIniFile) {
        IniWrite(sNome, sValor);
        return;
    }
    RegistryWrite(m_oRegistro.get(), FRegDiretorio, [&](RegistryStore& registry) {
        registry.WriteString(sNome.toStdU16String(), sValor.toStdU16String());
        if (m_iWriteDepth == 0) {
            registry.Flush();
        }
    });
}

void TSaveDesktop::GravaBoolean(const QString& sNome, bool bValor) {
    if (FtoStyle == TtoStyle::toIniFile) {
        IniWrite(sNome, bValor ? QStringLiteral("1") : QStringLiteral("0"));
        return;
    }
    RegistryWrite(m_oRegistro.get(), FRegDiretorio, [&](RegistryStore& registry) {
        registry.WriteBoolean(sNome.toStdU16String(), bValor);
        if (m_iWriteDepth == 0) {
            registry.Flush();
        }
    });
}

void TSaveDesktop::BeginWrites() {
    ++m_iWriteDepth;
}

void TSaveDesktop::EndWrites() {
    if (m_iWriteDepth > 0 && --m_iWriteDepth > 0) {
        return;
    }
    if (FtoStyle == TtoStyle::toRegistry) {
        m_oPendingIni.clear();
        RegistryWrite(m_oRegistro.get(), FRegDiretorio,
                      [](RegistryStore& registry) { registry.Flush(); });
        return;
    }
    CommitIni();
}

void TSaveDesktop::IniWrite(const QString& sNome, const QString& sTexto) {
    // A value the file cannot hold fails on its own, before it could spoil the others.
    try {
        IniFile probe;
        probe.SetValue(FRegDiretorio, sNome, sTexto);
    } catch (const std::invalid_argument&) {
        throw SaveDesktopError(
            QStringLiteral("SaveDesktop: O valor \"%1\" não pode ser salvo no arquivo de "
                           "configuração (nome ou seção inválidos, ou quebra de linha no valor)")
                .arg(sNome));
    }
    m_oPendingIni.emplace_back(sNome, sTexto);
    if (m_iWriteDepth == 0) {
        CommitIni();
    }
}

void TSaveDesktop::CommitIni() {
    if (m_oPendingIni.empty()) {
        return;
    }
    const std::vector<std::pair<QString, QString>> pending = std::move(m_oPendingIni);
    m_oPendingIni.clear();
    if (!m_oIniFile) {
        throw SaveDesktopError(QStringLiteral("SaveDesktop: Arquivo de configuração fechado"));
    }

    // Read the file afresh, so that whatever else it gained since it was read is kept.
    IniFile file(m_oIniFile->Path());
    try {
        file.Load();
    } catch (const IniFileError& error) {
        throw SaveDesktopError(
            QStringLiteral("SaveDesktop: Arquivo de configuração não pode ser lido; nada foi "
                           "salvo nele\n%1")
                .arg(error.message()));
    }
    const QByteArray before = file.Serialize();
    for (const auto& [name, text] : pending) {
        file.SetValue(FRegDiretorio, name, text);
    }
    if (QFileInfo::exists(file.Path()) && file.Serialize() == before) {
        return;
    }
    QDir().mkpath(QFileInfo(file.Path()).absolutePath());
    try {
        file.Save();
    } catch (const IniFileError& error) {
        throw SaveDesktopError(
            QStringLiteral("SaveDesktop: Arquivo de configuração não pode ser salvo\n%1")
                .arg(error.message()));
    }
}

} // namespace quorvel
