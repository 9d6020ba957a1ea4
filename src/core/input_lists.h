#pragma once
// The four per-PIP input lists. They are never shown: each holds the items "1" to the input count
// and shows one of them or nothing, and carries each PIP's input into the presets.

#include <array>

#include "core/pip_entry.h"

namespace quorvel {

class PipInputLists {
public:
    // Refills every list with "1" to count and shows input i in list i (nothing when i > count).
    void SetQuantPreview(int count);
    int Count() const { return m_count; }

    // Shows `input` in list pip (1 to 4), or nothing when it is not among the items.
    void ShowInput(int pip, int input);

    // The input shown by list pip (1 to 4); 0 when it shows nothing.
    int Shown(int pip) const;

    // The number a preset reads from list pip: the shown input, or 1 when it shows nothing.
    int Number(int pip) const;
    std::array<int, kPipCount> Numbers() const;

private:
    int m_count = 0;
    std::array<int, kPipCount> m_shown{}; // 0 = nothing shown
};

} // namespace quorvel
