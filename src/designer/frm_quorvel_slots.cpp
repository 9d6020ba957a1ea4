// The slot bar, the layout buttons, the layout picker and telling the switcher of a saved slot.

#include <QAbstractButton>
#include <QComboBox>
#include <QToolButton>

#include "designer/frm_quorvel.h"
#include "designer/pictures.h"
#include "storage/template_file.h"

namespace quorvel {

void TfrmQuorvel::SetQuantPreview(int iQuant) {
    m_iInputCount = 0;
    try {
        m_oInputLists.SetQuantPreview(iQuant);
    } catch (...) {
    }
    m_iInputCount = iQuant;
    if (m_oSelectedPIP) {
        m_oSelectedPIP->SetInputCount(iQuant);
    }
}

void TfrmQuorvel::FillPIPTypeList() {
    for (int i = 0; i < kLayoutPictureCount; ++i) {
        ComboPIPType->addItem(QIcon(LayoutPicture(i)), QStringLiteral(" %1 ").arg(i));
    }
    ComboPIPType->setCurrentIndex(-1);
}

void TfrmQuorvel::ButPIP1Click(QAbstractButton* sender) {
    m_iButtonIndex = sender->property("tag").toInt();
    LoadPIPSetup();
}

void TfrmQuorvel::Button1Click(QAbstractButton* sender) {
    ApplyLayoutButtonOf(sender);
}
void TfrmQuorvel::Button4Click(QAbstractButton* sender) {
    ApplyLayoutButtonOf(sender);
}
void TfrmQuorvel::Button5Click(QAbstractButton* sender) {
    ApplyLayoutButtonOf(sender);
}
void TfrmQuorvel::Button6Click(QAbstractButton* sender) {
    ApplyLayoutButtonOf(sender);
}
void TfrmQuorvel::Button7Click(QAbstractButton* sender) {
    ApplyLayoutButtonOf(sender);
}

void TfrmQuorvel::ApplyLayoutButtonOf(QAbstractButton* sender) {
    const PresetInfo* preset = FindPreset(sender->objectName());
    if (preset == nullptr) {
        return;
    }
    ComboPIPType->setCurrentIndex(preset->pickerItem);
    ApplyLayoutButton(*preset, m_oInputLists.Numbers(), Video(), m_oStruct);
    RecordChanged();
    LoadSelectedPIP();
}

void TfrmQuorvel::LoadPIPSetup() {
    const QString name = TemplateFileName(m_iButtonIndex, m_iDefIndex, Video());
    // A missing or unreadable file keeps the layout on screen.
    if (LoadTemplateFile(name, m_oStruct)) {
        RecordChanged();
    }
    const TPipEntry& first = m_oStruct[0];
    ComboPIPType->setCurrentIndex(
        first.PIPType >= 0 && first.PIPType < ComboPIPType->count() ? first.PIPType : -1);
    ShowRecordInputsAndProfile();
    LoadSelectedPIP();
}

void TfrmQuorvel::ShowRecordInputsAndProfile() {
    for (int pip = 1; pip <= static_cast<int>(kPipCount); ++pip) {
        m_oInputLists.ShowInput(pip, m_oStruct[static_cast<std::size_t>(pip - 1)].InputIndex);
    }
    m_iProfileIndex = m_oStruct[0].ProfileIndex;
    ShowProfileButton();
}

void TfrmQuorvel::ShowProfileButton() {
    if (m_iProfileIndex >= 1 && m_iProfileIndex <= static_cast<int>(m_layoutButtons.size())) {
        m_layoutButtons[static_cast<std::size_t>(m_iProfileIndex - 1)]->setChecked(true);
    }
}

void TfrmQuorvel::NotifyTemplateSaved(int slot, int pickerIndex) {
    if (!m_link->NotifyTemplateSaved(slot, pickerIndex)) {
        ShowMessage(QStringLiteral("O modelo foi salvo, mas o switcher não foi avisado: escolha "
                                   "a imagem do layout e salve de novo."),
                    false);
    }
}

} // namespace quorvel
