// The selected PIP, "&Aplicar" and the property grid's rows, captions, editors and file dialog.

#include <QComboBox>
#include <QDir>
#include <QFileDialog>

#include <array>
#include <utility>

#include "designer/frm_quorvel.h"
#include "designer/property_grid.h"

namespace quorvel {

namespace {

// Property name -> row caption; PosX and PosY keep their names.
constexpr std::array<std::pair<const char*, const char*>, 12> kCaptions = {{
    {"Width", "Largura"},
    {"Height", "Altura"},
    {"RecTop", "Rec. Topo"},
    {"RecLeft", "Rec. Esquerda"},
    {"RecBottom", "Rec .Fundo"},
    {"RecRight", "Rec. Direita"},
    {"Visible", "Ativado"},
    {"InputIndex", "Entrada"},
    {"Border", "Borda"},
    {"BorderColor", "Cor Borda"},
    {"BackFile", "Imagem Fundo"},
    {"FrontFile", "Imagem Frente"},
}};

const QStringList& ImageFileTypes() {
    static const QStringList types = {
        QStringLiteral("Imagens (*.jpg *.jpeg *.png *.bmp *.tga)"),
        QStringLiteral("JPEG (*.jpg *.jpeg)"),
        QStringLiteral("PNG (*.png)"),
        QStringLiteral("Bitmap (*.bmp)"),
        QStringLiteral("TGA (*.tga)"),
    };
    return types;
}

// Everything up to and including the last folder delimiter (or drive colon); empty for a bare
// name.
QString FolderPart(const QString& fileName) {
    qsizetype cut = -1;
    for (qsizetype i = fileName.size() - 1; i >= 0; --i) {
        const QChar c = fileName[i];
        if (c == u'/' || c == u'\\' || c == u':') {
            cut = i;
            break;
        }
    }
    return fileName.left(cut + 1);
}

} // namespace

void TfrmQuorvel::ComboPIPChange() {
    m_overlay->SetSelectedPip(SelectedPip());
    LoadSelectedPIP();
}

void TfrmQuorvel::LoadSelectedPIP() {
    cxRTTIInspector1->SetInspectedObject(nullptr);
    quorvel::LoadSelectedPIP(SelectedEntry(), *m_oSelectedPIP);
    cxRTTIInspector1->SetInspectedObject(m_oSelectedPIP.get());
    SetupInspectorRows();
    RefreshBorders();
}

void TfrmQuorvel::StoreSelectedPIP() {
    quorvel::StoreSelectedPIP(*m_oSelectedPIP, SelectedEntry());
    RecordChanged();
}

void TfrmQuorvel::btAplicarClick() {
    StoreSelectedPIP();
    RefreshBorders();
}

void TfrmQuorvel::SetupInspectorRows() {
    PropertyGrid* grid = cxRTTIInspector1;
    for (int row = 0; row < grid->RowCount(); ++row) {
        const QString caption = grid->RowCaption(row);
        if (caption == u"BorderColor") {
            grid->SetColourListWidth(row, grid->width() / 2);
        }
        if (caption == u"Visible" || caption == u"Ativado") {
            grid->SetRowEditor(row, RowEditor::CheckBox);
        }
        if (caption == u"BackFile" || caption == u"FrontFile") {
            grid->SetRowEditor(row, RowEditor::ButtonText);
        }
        TranslateRowCaption(row);
    }
}

void TfrmQuorvel::TranslateRowCaption(int row) {
    const QString caption = cxRTTIInspector1->RowCaption(row);
    for (const auto& [name, translated] : kCaptions) {
        if (caption == QLatin1String(name)) {
            cxRTTIInspector1->SetRowCaption(row, QString::fromUtf8(translated));
        }
    }
}

void TfrmQuorvel::cxRTTIInspector1FilterProperty(const QString& name, bool& accept) {
    // The front and back pictures belong to the whole layout, kept in PIP 1's entry.
    if (ComboPIP->currentIndex() > 0 && (name.compare(u"BackFile", Qt::CaseInsensitive) == 0 ||
                                         name.compare(u"FrontFile", Qt::CaseInsensitive) == 0)) {
        accept = false;
    }
}

void TfrmQuorvel::cxRTTIInspector1EditValueChanged() {
    SetupInspectorRows();
}

void TfrmQuorvel::cxEditRepository1ButtonItem1PropertiesButtonClick(int row) {
    const QString property = cxRTTIInspector1->RowPropertyName(row);
    const QString current = cxRTTIInspector1->RowValueText(row);
    const QString folder = current.isEmpty() ? m_sDefaultFolder : FolderPart(current);

    // Window-modal but not blocking: the preview keeps running while the operator chooses.
    auto* OpenPictureDialog = new QFileDialog(this);
    OpenPictureDialog->setObjectName(QStringLiteral("OpenPictureDialog"));
    OpenPictureDialog->setAttribute(Qt::WA_DeleteOnClose);
    OpenPictureDialog->setOption(QFileDialog::DontUseNativeDialog);
    OpenPictureDialog->setFileMode(QFileDialog::ExistingFile);
    OpenPictureDialog->setAcceptMode(QFileDialog::AcceptOpen);
    OpenPictureDialog->setNameFilters(ImageFileTypes());
    OpenPictureDialog->selectNameFilter(ImageFileTypes().first());
    if (!folder.isEmpty()) {
        OpenPictureDialog->setDirectory(folder);
    }
    OpenPictureDialog->setWindowModality(Qt::WindowModal);
    connect(OpenPictureDialog, &QFileDialog::fileSelected, this,
            [this, property](const QString& chosen) {
                const QString path = QDir::toNativeSeparators(chosen);
                // The grid may have been rebuilt meanwhile: find the row by its property.
                for (int r = 0; r < cxRTTIInspector1->RowCount(); ++r) {
                    if (cxRTTIInspector1->RowPropertyName(r) == property) {
                        cxRTTIInspector1->SetFocusedRow(r);
                        cxRTTIInspector1->SetRowValueText(r, path);
                    }
                }
                m_sDefaultFolder = FolderPart(path);
            });
    OpenPictureDialog->open();
}

void TfrmQuorvel::cxEditRepository1ButtonItem1PropertiesEditValueChanged(int row,
                                                                         const QString& text) {
    const QString property = cxRTTIInspector1->RowPropertyName(row);
    if (property == u"BackFile") {
        m_oSelectedPIP->SetBackFile(text);
    }
    if (property == u"FrontFile") {
        m_oSelectedPIP->SetFrontFile(text);
    }
}

void TfrmQuorvel::cxEditRepository1CheckBoxItem1PropertiesEditValueChanged(int row, bool checked) {
    cxRTTIInspector1->SetFocusedRow(row);
    cxRTTIInspector1->SetRowValueText(row,
                                      checked ? QStringLiteral("True") : QStringLiteral("False"));
}

} // namespace quorvel
