#include "commands.h"

namespace quorvel::tool {

int RunImage(const QStringList& /*args*/) {
    return Fail(QStringLiteral("image: not built yet"));
}

} // namespace quorvel::tool
