#include "util/helpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <stdexcept>

namespace quorvel {

namespace {

// Upper-cases a to z only; every other character, accented letters included, stays.
QString AsciiUpper(const QString& text) {
    QString result = text;
    for (QChar& c : result) {
        if (c >= u'a' && c <= u'z') {
            c = QChar(c.unicode() - (u'a' - u'A'));
        }
    }
    return result;
}

QString ExecutablePath() {
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationFilePath();
    }
#ifdef __linux__
    const QString link = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (!link.isEmpty()) {
        return link;
    }
#endif
    return {};
}

} // namespace

bool FolderExists(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    return QFileInfo(path).isDir(); // follows links
}

bool ForceFolder(const QString& path) {
    if (path.isEmpty()) {
        throw std::invalid_argument("ForceFolder: the folder path is empty");
    }
    if (FolderExists(path)) {
        return true;
    }
    QDir().mkpath(path);
    return FolderExists(path);
}

QString ReplaceText(const QString& text, const QString& oldPattern, const QString& newPattern,
                    TextCase textCase) {
    QString output;
    QString rest = text;
    const QString pattern =
        textCase == TextCase::IgnoreAsciiCase ? AsciiUpper(oldPattern) : oldPattern;
    while (!pattern.isEmpty() && pattern.size() <= rest.size()) {
        const QString haystack = textCase == TextCase::IgnoreAsciiCase ? AsciiUpper(rest) : rest;
        const qsizetype at = haystack.indexOf(pattern, 0, Qt::CaseSensitive);
        if (at < 0) {
            break;
        }
        output += rest.left(at);
        output += newPattern;
        rest.remove(0, at + pattern.size());
    }
    output += rest;
    return output;
}

void WaitWithMessages(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    do {
        if (QCoreApplication::instance() != nullptr) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        const qint64 left = milliseconds - clock.elapsed();
        if (left > 0) {
            // A short pause between passes keeps the thread from spinning a whole core.
            QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 2)));
        }
    } while (clock.elapsed() < milliseconds);
}

QString GetUserDataFolder(const QString& subfolder) {
    const QString base = WithTrailingDelimiter(GetSpecialFolder(kCsidlAppData));
    const QString result = subfolder.isEmpty() ? base + ExecutableBaseName() + kPathDelimiter
                                               : WithTrailingDelimiter(base + subfolder);
    if (!FolderExists(result)) {
        ForceFolder(result);
    }
    return result;
}

QString ExecutableBaseName() {
    return QFileInfo(ExecutablePath()).completeBaseName();
}

QString ExecutableFolder() {
    const QString path = ExecutablePath();
    if (path.isEmpty()) {
        return {};
    }
    return WithTrailingDelimiter(QFileInfo(path).absolutePath());
}

bool IsImageFileName(const QString& fileName) {
    QString name = fileName;
    if (name.startsWith(u'"')) {
        name = ReplaceText(name, QStringLiteral("\""), QString(), TextCase::IgnoreAsciiCase);
    }
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0) {
        return false;
    }
    const QString extension = name.mid(dot);
    if (extension.contains(u'\\') || extension.contains(u':') || extension.contains(u'/')) {
        return false;
    }
    const QString upper = AsciiUpper(extension);
    for (const char* image : {".JPG", ".JPEG", ".TIF", ".PNG", ".GIF"}) {
        if (upper == QLatin1String(image)) {
            return true;
        }
    }
    return false;
}

QString WithTrailingDelimiter(const QString& path) {
    if (path.endsWith(kPathDelimiter)) {
        return path;
    }
    return path + kPathDelimiter;
}

} // namespace quorvel
