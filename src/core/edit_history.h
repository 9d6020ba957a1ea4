#pragma once
// Undo and redo of the layout record. The window reports the record after every change; each report
// that differs from the last one becomes a step, and undoing gives back the earlier record byte for
// byte. A group (a drag, a held nudge button) gathers all its changes into one step.

#include <cstddef>
#include <deque>
#include <optional>

#include "core/pip_entry.h"

namespace quorvel {

class EditHistory {
public:
    static constexpr std::size_t kDefaultLimit = 500;
    explicit EditHistory(std::size_t limit = kDefaultLimit);

    // Starts again from `current`, with nothing to undo or redo.
    void Reset(const TPipSetup& current);

    // The record as it is now. A change from the last known record adds a step (or, inside a
    // group, joins the group's step) and drops whatever could have been redone. True when it did.
    bool Record(const TPipSetup& now);

    // Groups nest; the step is closed when the outermost group ends.
    void BeginGroup();
    void EndGroup();

    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }

    // The record to go back (or forward) to, which becomes the last known record; nothing when
    // there is no step.
    std::optional<TPipSetup> Undo();
    std::optional<TPipSetup> Redo();

    static bool SameBytes(const TPipSetup& a, const TPipSetup& b);

private:
    std::size_t m_limit;
    TPipSetup m_current{};
    std::deque<TPipSetup> m_undo; // the records before each step, oldest first
    std::deque<TPipSetup> m_redo; // the records after each undone step, newest undone last
    int m_groupDepth = 0;
    bool m_groupHasStep = false;
};

} // namespace quorvel
