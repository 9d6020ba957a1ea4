#pragma once
// What the designer window asks of the settings store: register a variable and get its saved value
// (or the default) back, and write every registered variable at close.

#include <QString>
#include <QtGlobal>

#include <memory>

namespace quorvel {

class SettingsPort {
public:
    virtual ~SettingsPort();

    // Registers *var under name and returns the saved value, or def when none is saved. The
    // caller assigns the result; the store reads *var again at export, so var must outlive it.
    virtual qint32 AdicionarVariavel(const QString& name, qint32* var, qint32 def) = 0;
    virtual QString AdicionarVariavel(const QString& name, QString* var, const QString& def) = 0;

    // Writes the current value of every registered variable. Throws std::exception with a
    // message for the operator when the store cannot be written.
    virtual void ExportaControles() = 0;
};

// The settings file of the designer: <application data>/<executable>/<executable>.sav, section
// "Quorvel", plain name=value lines. Other sections of the file are kept as they are.
std::unique_ptr<SettingsPort> MakeDesignerSettings();

} // namespace quorvel
