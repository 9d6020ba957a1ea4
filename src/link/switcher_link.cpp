#include "link/switcher_link.h"

namespace quorvel {

SwitcherLink::SwitcherLink(quint64 designerWindowId, QObject* parent)
    : QObject(parent)
    , m_designerWindowId(designerWindowId) {}

SwitcherLink::~SwitcherLink() = default;

bool SwitcherLink::NotifyTemplateSaved(qint32 slot, qint32 pickerIndex) {
    const std::optional<qint32> code = SavedTemplateCode(slot, pickerIndex);
    if (!code) {
        return false;
    }
    SendStreviaMessage(*code);
    return true;
}

bool SwitcherLink::SendMinimiseRequest() {
    if (!SwitcherRunning()) {
        return false;
    }
    SendStreviaMessage(kMinimiseRequestCode);
    return true;
}

} // namespace quorvel
