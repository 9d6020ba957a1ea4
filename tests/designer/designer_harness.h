#pragma once
// The designer window built for tests: a preview that reports a video size and records what the
// window asked of it, a link that records what it sent, and the window destroyed before them.

#include <QAbstractButton>
#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "designer/frm_quorvel.h"
#include "designer/null_preview.h"

namespace quorvel::test {

constexpr int kWaitMs = 20000; // generous: a loaded 2-core machine under a sanitizer
constexpr VideoSize kFullHd{1920, 1080};

// A preview that reports a video size and counts what the window asked of it.
class RecordingPreview : public NullPreview {
public:
    using NullPreview::NullPreview;
    void StartPreview(const PreviewStartInfo& startup) override {
        if (failStart) {
            throw std::runtime_error("no media layer");
        }
        started = startup;
        NullPreview::StartPreview(startup);
    }
    void PublishLayout(const TPipSetup& setup) override {
        ++published;
        lastPublished = setup;
    }
    void RefreshBorders(const TPipSetup&) override { ++borderRefreshes; }
    void SetComposing(bool on) override { composing = on; }
    void SetShowing(bool on) override { showing.push_back(on); }
    void StopPreview() override { ++*stops; }

    bool failStart = false;
    std::optional<PreviewStartInfo> started;
    int published = 0;
    TPipSetup lastPublished{};
    int borderRefreshes = 0;
    bool composing = false;
    std::vector<bool> showing;
    std::shared_ptr<int> stops = std::make_shared<int>(0); // read after the preview is gone
};

class RecordingLink : public SwitcherLink {
public:
    RecordingLink()
        : SwitcherLink(0, nullptr) {}
    void SendStreviaMessage(qint32 code) override { sent.push_back(code); }
    bool SwitcherRunning() const override { return running; }
    void Restore() { emit restoreRequested(); }
    std::vector<qint32> sent;
    bool running = false;
};

// A store that holds nothing and cannot be written.
class FailingSettings : public TCustomSaveDesktop {
protected:
    bool ExisteValor(const QString&) override { return false; }
    void GravaInteger(const QString&, std::int32_t) override { Fail(); }
    void GravaDouble(const QString&, double) override { Fail(); }
    void GravaString(const QString&, const QString&) override { Fail(); }
    void GravaBoolean(const QString&, bool) override { Fail(); }
    std::int32_t LeInteger(const QString&) override { return 0; }
    double LeDouble(const QString&) override { return 0; }
    QString LeString(const QString&) override { return {}; }
    bool LeBoolean(const QString&) override { return false; }
    void AbreArmazenamento() override {}
    void FechaArmazenamento() override {}

private:
    [[noreturn]] static void Fail() {
        throw SaveDesktopError(QStringLiteral("disco cheio: quorvel.sav"));
    }
};

// A window with its recorders. The window is destroyed first: it drives the recorders until then.
struct Designer {
    RecordingPreview* preview = nullptr;
    RecordingLink* link = nullptr;
    std::shared_ptr<int> halts = std::make_shared<int>(0);
    std::unique_ptr<TfrmQuorvel> window;
};

inline QByteArray Bytes(const TPipSetup& setup) {
    QByteArray bytes(static_cast<qsizetype>(kPipSetupSize), '\0');
    auto* out = reinterpret_cast<std::uint8_t*>(bytes.data());
    for (std::size_t i = 0; i < kPipCount; ++i) {
        EntryToBytes(setup[i], std::span<std::uint8_t, kPipEntrySize>(out + i * kPipEntrySize,
                                                                      kPipEntrySize));
    }
    return bytes;
}

inline Designer MakeDesigner(VideoSize video = kFullHd,
                             std::unique_ptr<TCustomSaveDesktop> settings = {}) {
    Designer d;
    auto preview = std::make_unique<RecordingPreview>(video);
    d.preview = preview.get();
    DesignerDeps deps;
    deps.preview = std::move(preview);
    deps.link = [&d](quint64) {
        auto link = std::make_unique<RecordingLink>();
        d.link = link.get();
        return link;
    };
    deps.settings = std::move(settings);
    deps.taskHalt = [halts = d.halts] { ++*halts; };
    d.window = std::make_unique<TfrmQuorvel>(std::move(deps));
    return d;
}

// Points the data home and HOME at `home`, with the Strevia and pictures folders made.
inline void UseTemporaryHome(const QTemporaryDir& home) {
    QVERIFY(home.isValid());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    qputenv("HOME", home.path().toUtf8());
    QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("data/Strevia"))));
    QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("Pictures"))));
}

// Shows the window and waits until its start slot is loaded.
inline void StartDesigner(Designer& d) {
    d.window->show();
    QTRY_VERIFY_WITH_TIMEOUT(d.window->StartTimerDone(), kWaitMs);
}

template <typename T = QAbstractButton>
T* Control(const TfrmQuorvel& w, const char* name) {
    T* control = w.findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) {
        qFatal("no control %s", name);
    }
    return control;
}

} // namespace quorvel::test
