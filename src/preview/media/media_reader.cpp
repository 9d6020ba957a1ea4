#include "preview/media/media_reader.h"

#include <QRegularExpression>

namespace quorvel::media {

bool OptionsLoop(const QString& options) {
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    const QStringList words = options.split(separators, Qt::SkipEmptyParts);
    for (const QString& word : words) {
        if (word.compare(QLatin1String("loop=true"), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace quorvel::media
