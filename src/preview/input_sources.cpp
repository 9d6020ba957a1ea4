#include "preview/input_sources.h"

#include <QFile>
#include <QRegularExpression>

#include "preview/media/ffmpeg_reader.h"
#include "preview/media/frame_factory.h"
#include "preview/media/test_source.h"
#include "storage/ini_file.h"
#include "util/helpers.h"

namespace quorvel {

namespace {
const QLatin1String kInputPrefix("mp://StreviaInput");
} // namespace

QString InputUrl(int inputNumber) {
    return kInputPrefix + QString::number(inputNumber);
}

int InputNumberOfUrl(const QString& url) {
    if (!url.startsWith(kInputPrefix, Qt::CaseInsensitive)) {
        return 0;
    }
    const QString digits = url.mid(kInputPrefix.size());
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,9}$"));
    if (!number.match(digits).hasMatch()) {
        return 0;
    }
    return digits.toInt();
}

QString DesignerSettingsPath() {
    return WithTrailingDelimiter(GetSpecialFolder(kCsidlAppData)) + QStringLiteral("quorvel") +
           kPathDelimiter + QStringLiteral("quorvel.sav");
}

std::map<int, QString> ReadInputMap(const QString& settingsPath) {
    std::map<int, QString> map;
    static const QRegularExpression keyPattern(QStringLiteral("^StreviaInput([0-9]{1,9})$"),
                                               QRegularExpression::CaseInsensitiveOption);
    for (const IniEntry& entry : IniFile::ReadSection(settingsPath, QStringLiteral("Inputs"))) {
        const QRegularExpressionMatch match = keyPattern.match(entry.name);
        if (!match.hasMatch() || entry.value.isEmpty()) {
            continue;
        }
        const int n = match.captured(1).toInt();
        if (n >= 1 && map.find(n) == map.end()) {
            map[n] = entry.value;
        }
    }
    return map;
}

media::ReaderPtr OpenSource(const QString& url, const QString& options,
                            const std::map<int, QString>& inputMap, TestSourceMotion motion) {
    QString target = url;
    QString targetOptions = options;
    if (const int n = InputNumberOfUrl(url); n > 0) {
        const auto mapped = inputMap.find(n);
        if (mapped == inputMap.end()) {
            media::ReaderPtr source =
                motion == TestSourceMotion::Live
                    ? std::make_shared<media::TestSourceReader>(n)
                    : std::make_shared<media::TestSourceReader>(n, std::int64_t{0});
            source->Open(url, options);
            return source;
        }
        target = mapped->second;
        if (!media::IsLiveSourceName(target)) {
            targetOptions = QStringLiteral("loop=true");
        }
    }
    media::ReaderPtr reader;
    if (media::IsStillPictureName(target)) {
        reader = std::make_shared<media::PictureReader>();
    } else {
        reader = std::make_shared<media::FfmpegReader>();
    }
    reader->Open(target, targetOptions);
    return reader;
}

} // namespace quorvel
