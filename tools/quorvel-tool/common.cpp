#include <QRegularExpression>
#include <QTextStream>

#include "commands.h"

namespace quorvel::tool {

int Fail(const QString& message, int code) {
    QTextStream err(stderr);
    err << "quorvel-tool: " << message << Qt::endl;
    return code;
}

std::optional<QSize> ParseSize(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,6})[xX](\\d{1,6})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    const QSize size(m.captured(1).toInt(), m.captured(2).toInt());
    if (size.width() <= 0 || size.height() <= 0) {
        return std::nullopt;
    }
    return size;
}

} // namespace quorvel::tool
