#pragma once
// The designer's link to the Strevia Switcher: notices to the switcher (a template was saved, the
// operator asked to minimise the designer) and the switcher's request to restore the designer.
// One interface; CMake picks the backend: D-Bus on the session bus on Linux, registered window
// messages on Windows.

#include "link/link_codes.h"

#include <QObject>

#include <memory>

namespace quorvel {

class SwitcherLink : public QObject {
    Q_OBJECT
public:
    // The platform's backend. designerWindowId: the designer window's winId(); it goes with every
    // notice, and a restore request that carries it is ignored. Create and use the link on the
    // window thread; restoreRequested is emitted there. Held by a std::unique_ptr member of the
    // parent, the link is destroyed before the parent's children, so passing that parent is safe.
    // Without a session bus (Linux) the link does nothing and never fails.
    static std::unique_ptr<SwitcherLink> Create(quint64 designerWindowId,
                                                QObject* parent = nullptr);

    // Waits, at most about two seconds in all, for notices still on their way, so that a designer
    // that closes right after "Salvar" does not lose the notice.
    ~SwitcherLink() override;

    // Sends a code to the switcher and returns at once: the lookup and the send run on the link's
    // own pool thread, one notice after the other in the order given. When no switcher runs the
    // notice is lost, silently.
    virtual void SendStreviaMessage(qint32 code) = 0;

    // Looks the switcher up now. On D-Bus this is one short round trip to the bus (at most one
    // second when the bus does not answer).
    virtual bool SwitcherRunning() const = 0;

    // "Salvar" wrote the slot's template: forms the saved-template code and sends it. Returns
    // false, sending nothing, when the code cannot be formed (the picker has no selection, index
    // -1).
    bool NotifyTemplateSaved(qint32 slot, qint32 pickerIndex);

    // The operator asked to minimise the designer. When the switcher runs, it is sent
    // kMinimiseRequestCode and the result is true: the designer window must stay as it is. False:
    // no switcher runs, and the designer minimises.
    bool SendMinimiseRequest();

    quint64 designerWindowId() const { return m_designerWindowId; }

signals:
    // The switcher asked (info kRestoreInfo, from a sender other than the designer window) to
    // restore the designer; the window restores itself when it is minimised.
    void restoreRequested();

protected:
    SwitcherLink(quint64 designerWindowId, QObject* parent);

private:
    quint64 m_designerWindowId;
};

} // namespace quorvel
