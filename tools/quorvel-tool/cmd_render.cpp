#include "commands.h"

namespace quorvel::tool {

int RunRender(const QStringList& /*args*/) {
    return Fail(QStringLiteral("render: not built yet"));
}

} // namespace quorvel::tool
