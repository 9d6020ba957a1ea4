#include "core/edit_history.h"

#include <cstring>

namespace quorvel {

EditHistory::EditHistory(std::size_t limit)
    : m_limit(limit == 0 ? 1 : limit) {}

void EditHistory::Reset(const TPipSetup& current) {
    m_current = current;
    m_undo.clear();
    m_redo.clear();
    m_groupHasStep = false;
}

bool EditHistory::SameBytes(const TPipSetup& a, const TPipSetup& b) {
    // The entries have no hidden padding (their layout is fixed to the byte), so their memory is
    // exactly their file image.
    return std::memcmp(a.data(), b.data(), sizeof(TPipSetup)) == 0;
}

bool EditHistory::Record(const TPipSetup& now) {
    if (SameBytes(now, m_current)) {
        return false;
    }
    if (m_groupDepth == 0 || !m_groupHasStep) {
        m_undo.push_back(m_current);
        if (m_undo.size() > m_limit) {
            m_undo.pop_front();
        }
        m_groupHasStep = m_groupDepth > 0;
    }
    m_redo.clear();
    m_current = now;
    return true;
}

void EditHistory::BeginGroup() {
    if (m_groupDepth++ == 0) {
        m_groupHasStep = false;
    }
}

void EditHistory::EndGroup() {
    if (m_groupDepth > 0 && --m_groupDepth == 0) {
        m_groupHasStep = false;
    }
}

std::optional<TPipSetup> EditHistory::Undo() {
    if (m_undo.empty()) {
        return std::nullopt;
    }
    m_redo.push_back(m_current);
    m_current = m_undo.back();
    m_undo.pop_back();
    m_groupHasStep = false; // a change after an undo inside a group starts a step of its own
    return m_current;
}

std::optional<TPipSetup> EditHistory::Redo() {
    if (m_redo.empty()) {
        return std::nullopt;
    }
    m_undo.push_back(m_current);
    m_current = m_redo.back();
    m_redo.pop_back();
    m_groupHasStep = false;
    return m_current;
}

} // namespace quorvel
