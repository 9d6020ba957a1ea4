#pragma once
// The working copy of the selected PIP that the property grid edits by property name. Properties
// are declared in the order the grid shows them.

#include <QObject>
#include <QString>

#include "core/pip_entry.h"

namespace quorvel {

class TPIPObject : public QObject {
    Q_OBJECT
    Q_PROPERTY(int InputIndex READ InputIndex WRITE SetInputIndex)
    Q_PROPERTY(int PosX READ PosX WRITE SetPosX)
    Q_PROPERTY(int PosY READ PosY WRITE SetPosY)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(int RecTop READ RecTop WRITE SetRecTop)
    Q_PROPERTY(int RecLeft READ RecLeft WRITE SetRecLeft)
    Q_PROPERTY(int RecBottom READ RecBottom WRITE SetRecBottom)
    Q_PROPERTY(int RecRight READ RecRight WRITE SetRecRight)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(int Border READ Border WRITE SetBorder)
    Q_PROPERTY(quint32 BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(QString FrontFile READ FrontFile WRITE SetFrontFile)
    Q_PROPERTY(QString BackFile READ BackFile WRITE SetBackFile)

public:
    explicit TPIPObject(QObject* parent = nullptr);

    // The number of switcher inputs offered to the PIPs; bounds SetInputIndex.
    void SetInputCount(int count) { m_inputCount = count; }
    int InputCount() const { return m_inputCount; }

    int InputIndex() const { return FInputIndex; }
    // Stores value, then InputCount when value exceeds it, then 1 when value is below 1 (both tests
    // look at value, so with no inputs a positive value stores 0).
    void SetInputIndex(int value);

    int PosX() const { return FPosX; }
    void SetPosX(int v) { FPosX = v; }
    int PosY() const { return FPosY; }
    void SetPosY(int v) { FPosY = v; }
    int Width() const { return FWidth; }
    void SetWidth(int v) { FWidth = v; }
    int Height() const { return FHeight; }
    void SetHeight(int v) { FHeight = v; }
    int RecTop() const { return FRecTop; }
    void SetRecTop(int v) { FRecTop = v; }
    int RecLeft() const { return FRecLeft; }
    void SetRecLeft(int v) { FRecLeft = v; }
    int RecBottom() const { return FRecBottom; }
    void SetRecBottom(int v) { FRecBottom = v; }
    int RecRight() const { return FRecRight; }
    void SetRecRight(int v) { FRecRight = v; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { FVisible = v; }
    int Border() const { return FBorder; }
    void SetBorder(int v) { FBorder = v; }
    quint32 BorderColor() const { return FColor; }
    void SetBorderColor(quint32 v) { FColor = v; }
    QString FrontFile() const { return FFrontFile; }
    void SetFrontFile(const QString& v) { FFrontFile = v; }
    QString BackFile() const { return FBackFile; }
    void SetBackFile(const QString& v) { FBackFile = v; }

private:
    int m_inputCount = 0;
    int FInputIndex = 0;
    int FPosX = 0;
    int FPosY = 0;
    int FWidth = 0;
    int FHeight = 0;
    int FRecTop = 0;
    int FRecLeft = 0;
    int FRecBottom = 0;
    int FRecRight = 0;
    bool FVisible = false;
    int FBorder = 0;
    quint32 FColor = 0xFFFFFF; // white
    QString FFrontFile;
    QString FBackFile;
};

// Copies an entry into the object (the input through SetInputIndex, so it is clamped).
void LoadSelectedPIP(const TPipEntry& entry, TPIPObject& object);

// Copies the object into an entry (the input unclamped); ProfileIndex and PIPType stay.
void StoreSelectedPIP(const TPIPObject& object, TPipEntry& entry);

} // namespace quorvel
