#include "core/pip_object.h"

namespace quorvel {

TPIPObject::TPIPObject(QObject* parent)
    : QObject(parent) {}

void TPIPObject::SetInputIndex(int value) {
    FInputIndex = value;
    if (value > m_inputCount) {
        FInputIndex = m_inputCount;
    }
    if (value < 1) {
        FInputIndex = 1;
    }
}

void LoadSelectedPIP(const TPipEntry& entry, TPIPObject& object) {
    object.SetInputIndex(entry.InputIndex);
    object.SetPosX(entry.PosX);
    object.SetPosY(entry.PosY);
    object.SetWidth(entry.Width);
    object.SetHeight(entry.Height);
    object.SetRecTop(entry.RecTop);
    object.SetRecLeft(entry.RecLeft);
    object.SetRecBottom(entry.RecBottom);
    object.SetRecRight(entry.RecRight);
    object.SetVisible(entry.Visible != 0);
    object.SetBorder(entry.Border);
    object.SetBorderColor(entry.BorderColor);
    object.SetFrontFile(ShortStringText(entry.FrontFile));
    object.SetBackFile(ShortStringText(entry.BackFile));
}

void StoreSelectedPIP(const TPIPObject& object, TPipEntry& entry) {
    entry.InputIndex = object.InputIndex();
    entry.PosX = object.PosX();
    entry.PosY = object.PosY();
    entry.Width = object.Width();
    entry.Height = object.Height();
    entry.RecTop = object.RecTop();
    entry.RecLeft = object.RecLeft();
    entry.RecBottom = object.RecBottom();
    entry.RecRight = object.RecRight();
    entry.Visible = object.Visible() ? 1 : 0;
    entry.Border = object.Border();
    entry.BorderColor = object.BorderColor();
    SetShortStringText(entry.FrontFile, object.FrontFile());
    SetShortStringText(entry.BackFile, object.BackFile());
}

} // namespace quorvel
