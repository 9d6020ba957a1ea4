// The settings file reader, as the settings store reads the designer's ".sav" file: any bytes load
// without a crash; writing the document back and reading it again gives the same sections and
// entries; a value the store sets reads back and leaves every other entry as it was; every value
// converts under the store's integer, double and boolean rules.

#include <algorithm>
#include <cmath>

#include "fuzz_support.h"
#include "storage/ini_file.h"
#include "storage/save_desktop.h"

using namespace quorvel;

namespace {

// Every section and its entries, as a reader of the file sees them.
QList<QList<IniEntry>> View(const IniFile& ini) {
    QList<QList<IniEntry>> view;
    for (const QString& section : ini.Sections()) {
        view.append(ini.SectionEntries(section));
    }
    return view;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFile file(QStringLiteral("quorvel.sav"));
    file.Write(data, size);

    IniFile ini(file.Path());
    ini.Load(); // a readable file never throws
    const QList<QList<IniEntry>> view = View(ini);

    for (const QList<IniEntry>& entries : view) {
        for (const IniEntry& entry : entries) {
            (void)IniParseInteger(entry.value);
            (void)IniParseBoolean(entry.value);
            const double d = IniParseDouble(entry.value);
            if (std::isfinite(d)) {
                const double back = IniParseDouble(IniFormatDouble(d));
                FUZZ_CHECK(back == d || std::fabs(back - d) <= std::fabs(d) * 1e-14);
            }
        }
    }

    IniFile reread;
    reread.Parse(ini.Serialize());
    FUZZ_CHECK(View(reread) == view);

    // What an export does to the designer's section: the one value changes or is added, every
    // other entry of every section stays.
    const QString section = QStringLiteral("Quorvel");
    const QString name = QStringLiteral("DesignerPosWindowX");
    const QString value = QStringLiteral("-99999");
    QList<IniEntry> expected = ini.SectionEntries(section);
    const auto same = std::find_if(expected.begin(), expected.end(), [&](const IniEntry& e) {
        return e.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (same != expected.end()) {
        *same = {name, value};
    } else {
        expected.append({name, value});
    }
    ini.SetValue(section, name, value);
    IniFile written;
    written.Parse(ini.Serialize());
    FUZZ_CHECK(written.SectionEntries(section) == expected);
    for (const QString& other : reread.Sections()) {
        if (other.compare(section, Qt::CaseInsensitive) != 0) {
            FUZZ_CHECK(written.SectionEntries(other) == reread.SectionEntries(other));
        }
    }
    return 0;
}
