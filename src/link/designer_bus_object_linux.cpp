#include "link/designer_bus_object_linux.h"

#include "link/link_codes.h"

namespace quorvel::dbus {

DesignerBusObject::DesignerBusObject(quint64 designerWindowId, std::function<void()> onRestore)
    : m_designerWindowId(designerWindowId)
    , m_onRestore(std::move(onRestore)) {}

void DesignerBusObject::QuorvelMessage(qulonglong sender, qlonglong info) {
    // A notice from the designer itself is never acted on.
    if (sender == m_designerWindowId) {
        return;
    }
    const auto request = static_cast<qint32>(static_cast<quint32>(info & 0xffffffff));
    if (request == kRestoreInfo && m_onRestore) {
        m_onRestore();
    }
}

} // namespace quorvel::dbus
