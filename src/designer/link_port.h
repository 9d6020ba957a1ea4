#pragma once
// What the designer window asks of the switcher link: send a code, tell whether the switcher runs,
// and report the switcher's restore request. The application binds it to the platform's link.

#include <QObject>
#include <QtGlobal>

#include <functional>
#include <memory>

namespace quorvel {

// The code that tells a running switcher that the operator asked to minimise the designer.
inline constexpr qint32 kMinimiseNoticeCode = 999998;

class LinkPort : public QObject {
    Q_OBJECT
public:
    explicit LinkPort(QObject* parent = nullptr);
    ~LinkPort() override;

    // Returns at once; the switcher not running loses the code silently.
    virtual void SendStreviaMessage(qint32 code) = 0;
    // Looks the switcher up now.
    virtual bool SwitcherRunning() const = 0;

signals:
    // The switcher asked the designer to restore itself (on the window thread).
    void restoreRequested();
};

// Makes the link once the designer window has its native id.
using LinkFactory = std::function<std::unique_ptr<LinkPort>(quint64 designerWindowId)>;

// No switcher: codes go nowhere and a minimise request minimises the designer.
class NullLink : public LinkPort {
    Q_OBJECT
public:
    using LinkPort::LinkPort;
    void SendStreviaMessage(qint32) override {}
    bool SwitcherRunning() const override { return false; }
};

} // namespace quorvel
