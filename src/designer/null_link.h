#pragma once
// A switcher link with no switcher: notices go nowhere and a minimise request minimises the
// designer. The window uses it when it is given no link, and after its close has sent the last
// notices.

#include "link/switcher_link.h"

namespace quorvel {

class NullLink final : public SwitcherLink {
    Q_OBJECT
public:
    explicit NullLink(quint64 designerWindowId = 0, QObject* parent = nullptr)
        : SwitcherLink(designerWindowId, parent) {}
    void SendStreviaMessage(qint32) override {}
    bool SwitcherRunning() const override { return false; }
};

} // namespace quorvel
