// Fine adjustment of the selected PIP: nudging and zooming with auto-repeat, the crop halves, the
// border command, the step size, and the Atribuir and Cancelar buttons.

#include <QAction>
#include <QRadioButton>

#include "designer/frm_quorvel.h"

namespace quorvel {

AdjustMode TfrmQuorvel::Mode() const {
    return RadioAjusteInterno->isChecked() ? AdjustMode::Interno : AdjustMode::Externo;
}

void TfrmQuorvel::ApplyOutcome(AdjustOutcome outcome) {
    if (outcome.changed) {
        RecordChanged();
    }
    if (outcome.refreshBorders) {
        RefreshBorders();
    }
}

void TfrmQuorvel::MoveVertical(int step) {
    ApplyOutcome(quorvel::MoveVertical(SelectedEntry(), step, Mode(), Video()));
}

void TfrmQuorvel::MoveHorizontal(int step) {
    ApplyOutcome(quorvel::MoveHorizontal(SelectedEntry(), step, Mode(), Video()));
}

void TfrmQuorvel::ZoomSelectedPIP(int direction) {
    ApplyOutcome(
        quorvel::ZoomSelectedPIP(SelectedEntry(), direction, m_iFatorAjuste, Mode(), Video()));
}

void TfrmQuorvel::EnsureCrop() {
    if (quorvel::EnsureCrop(SelectedEntry(), Video())) {
        RecordChanged();
    }
}

void TfrmQuorvel::CropHalf(int kind) {
    if (quorvel::CropHalf(SelectedEntry(), kind, Video())) {
        RecordChanged();
    }
    RefreshBorders();
    ButtonAplicarAjusteClick();
}

void TfrmQuorvel::TimerMovimentoTimer() {
    // Runs every 50 ms for the window's whole life: nothing but six tests while no button is held.
    if (m_bDoingUp) {
        MoveVertical(-m_iFatorAjuste);
    }
    if (m_bDoingDown) {
        MoveVertical(m_iFatorAjuste);
    }
    if (m_bDoingLeft) { // held by ">"
        MoveHorizontal(m_iFatorAjuste);
    }
    if (m_bDoingRight) { // held by "<"
        MoveHorizontal(-m_iFatorAjuste);
    }
    if (m_bDoingIn) {
        ZoomSelectedPIP(1);
    }
    if (m_bDoingOut) {
        ZoomSelectedPIP(-1);
    }
}

void TfrmQuorvel::N11Click(QAction* item) {
    item->setChecked(true);
    m_iFatorAjuste = item->data().toInt();
}

void TfrmQuorvel::N50Direita1Click(QAction* item) {
    CropHalf(item->data().toInt());
}

void TfrmQuorvel::AplicaremTodosasConfiguraesdeBordas1Click() {
    // The object's values, so a border typed into the grid and not yet applied is used.
    ApplyBorderToAll(m_oStruct, m_oSelectedPIP->Border(), m_oSelectedPIP->BorderColor());
    RecordChanged();
    RefreshBorders();
}

void TfrmQuorvel::ButtonAplicarAjusteClick() {
    LoadSelectedPIP();
    btAplicarClick();
}

void TfrmQuorvel::ButtonCancelarAjusteClick() {
    btAplicarClick();
}

} // namespace quorvel
