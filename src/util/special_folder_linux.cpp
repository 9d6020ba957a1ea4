#include <QStandardPaths>

#include "util/helpers.h"

namespace quorvel {

QString GetSpecialFolder(int csidl) {
    QString path;
    switch (csidl) {
    case kCsidlAppData:
        path = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        break;
    case kCsidlCommonPictures:
        path = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        break;
    default:
        return {};
    }
    while (path.size() > 1 && path.endsWith(kPathDelimiter)) {
        path.chop(1);
    }
    return path;
}

} // namespace quorvel
