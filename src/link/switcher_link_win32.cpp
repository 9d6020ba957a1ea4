// The switcher link on Windows: the registered window messages of switcher_messages_win32, with a
// native event filter that takes the designer window's minimise command and the switcher's
// "Quorvel Message" before Qt handles them.

#include "link/switcher_link.h"
#include "link/switcher_messages_win32.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QMetaObject>
#include <QThreadPool>

namespace quorvel {

namespace {

// How long the destructor waits for notices still being sent.
constexpr int kShutdownWait_ms = 1000;

class Win32SwitcherLink final : public SwitcherLink, public QAbstractNativeEventFilter {
public:
    Win32SwitcherLink(quint64 designerWindowId, QObject* parent)
        : SwitcherLink(designerWindowId, parent)
        , m_messages(win32::RegisterSwitcherMessages())
        , m_designer(win32::HandleFromWindowId(designerWindowId)) {
        // One thread keeps the notices in the order they were given.
        m_pool.setMaxThreadCount(1);
        if (QCoreApplication* application = QCoreApplication::instance()) {
            application->installNativeEventFilter(this);
        }
    }

    ~Win32SwitcherLink() override {
        if (QCoreApplication* application = QCoreApplication::instance()) {
            application->removeNativeEventFilter(this);
        }
        // SendNotifyMessageW returns at once, so the wait is short; the bound only guards
        // against a system that hangs.
        if (!m_pool.waitForDone(kShutdownWait_ms)) {
            m_pool.clear();
            m_pool.waitForDone();
        }
    }

    void SendStreviaMessage(qint32 code) override {
        // Runs on the pool thread; the switcher is looked up there, afresh.
        m_pool.start([messages = m_messages, designer = m_designer, code] {
            win32::SendToSwitcher(messages, designer, code);
        });
    }

    bool SwitcherRunning() const override { return win32::FindSwitcherWindow() != nullptr; }

    // Window thread: every message Qt's windows receive passes here first. Returning true takes
    // the message away from Qt, with result 0.
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override {
        if (eventType != "windows_generic_MSG" || message == nullptr) {
            return false;
        }
        switch (win32::ClassifyDesignerMessage(m_messages, m_designer,
                                               *static_cast<const MSG*>(message))) {
        case win32::DesignerMessage::Other:
            return false;
        case win32::DesignerMessage::MinimiseCommand:
            // With a switcher running it is told and the window stays as it is; otherwise the
            // command goes on and the window minimises as usual.
            if (!SendMinimiseRequest()) {
                return false;
            }
            break;
        case win32::DesignerMessage::RestoreRequest:
            // Queued: the restore must not run inside the window procedure.
            QMetaObject::invokeMethod(
                this, [this] { emit restoreRequested(); }, Qt::QueuedConnection);
            break;
        case win32::DesignerMessage::IgnoredRequest:
            break;
        }
        if (result != nullptr) {
            *result = 0;
        }
        return true;
    }

private:
    win32::SwitcherMessages m_messages;
    HWND m_designer;
    QThreadPool m_pool;
};

} // namespace

std::unique_ptr<SwitcherLink> SwitcherLink::Create(quint64 designerWindowId, QObject* parent) {
    return std::make_unique<Win32SwitcherLink>(designerWindowId, parent);
}

} // namespace quorvel
