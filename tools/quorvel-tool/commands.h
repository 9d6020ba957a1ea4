#pragma once
// The subcommands of quorvel-tool. Each takes the arguments after its own name and returns the
// process exit code; bad input prints one line on stderr and returns a non-zero code.

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace quorvel::tool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitBadInput = 2;    // bad arguments or unreadable input
inline constexpr int kExitWriteFailed = 3; // the output could not be written

int RunPreset(const QStringList& args);
int RunTemplate(const QStringList& args);
int RunAdjust(const QStringList& args);
int RunHandoff(const QStringList& args);
int RunImage(const QStringList& args);
int RunRender(const QStringList& args);

// Prints "quorvel-tool: <message>" on stderr and returns code.
int Fail(const QString& message, int code = kExitBadInput);

// "1920x1080" -> 1920 x 1080; empty for anything else (both parts must be positive).
std::optional<QSize> ParseSize(const QString& text);

} // namespace quorvel::tool
