#include "core/input_lists.h"

namespace quorvel {

void PipInputLists::SetQuantPreview(int count) {
    m_count = count;
    for (int pip = 1; pip <= static_cast<int>(kPipCount); ++pip) {
        ShowInput(pip, pip);
    }
}

void PipInputLists::ShowInput(int pip, int input) {
    if (pip < 1 || pip > static_cast<int>(kPipCount)) {
        return;
    }
    m_shown[pip - 1] = (input >= 1 && input <= m_count) ? input : 0;
}

int PipInputLists::Shown(int pip) const {
    if (pip < 1 || pip > static_cast<int>(kPipCount)) {
        return 0;
    }
    return m_shown[pip - 1];
}

int PipInputLists::Number(int pip) const {
    const int shown = Shown(pip);
    return shown != 0 ? shown : 1;
}

std::array<int, kPipCount> PipInputLists::Numbers() const {
    return {Number(1), Number(2), Number(3), Number(4)};
}

} // namespace quorvel
