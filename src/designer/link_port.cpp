#include "designer/link_port.h"

namespace quorvel {

LinkPort::LinkPort(QObject* parent)
    : QObject(parent) {}

LinkPort::~LinkPort() = default;

} // namespace quorvel
