#include "core/presets.h"

#include <array>

namespace quorvel {

namespace {

void SetFullCrop(TPipEntry& e, int width, int height) {
    e.RecTop = 0;
    e.RecLeft = 0;
    e.RecBottom = height;
    e.RecRight = width;
}

// The central half of the input, shown unscaled in a strip half the picture wide.
void SetCentralHalfCrop(TPipEntry& e, int width, int height) {
    e.RecTop = 0;
    e.RecLeft = width / 4;
    e.RecBottom = height;
    e.RecRight = 3 * (width / 4);
}

void Place(TPipEntry& e, int x, int y, int w, int h) {
    e.PosX = x;
    e.PosY = y;
    e.Width = w;
    e.Height = h;
}

void Clear(TPipEntry& e) {
    Place(e, 0, 0, 0, 0);
    e.RecTop = 0;
    e.RecLeft = 0;
    e.RecBottom = 0;
    e.RecRight = 0;
    e.Visible = 0;
}

// A tall strip in one column and two quarters in the other; the fourth PIP is cleared.
void LayoutOneAndTwo(int width, int height, TPipSetup& entries, int stripEntry, int stripX,
                     std::array<int, 2> quarterEntries, int quarterX, int profileIndex) {
    const int halfW = width / 2;
    const int halfH = height / 2;
    TPipEntry& strip = entries[stripEntry];
    Place(strip, stripX, 0, halfW, height);
    SetCentralHalfCrop(strip, width, height);
    for (int i = 0; i < 2; ++i) {
        TPipEntry& quarter = entries[quarterEntries[i]];
        Place(quarter, quarterX, i * halfH, halfW, halfH);
        SetFullCrop(quarter, width, height);
    }
    Clear(entries[3]);
    for (std::size_t i = 0; i < kPipCount; ++i) {
        entries[i].Visible = i < 3 ? 1 : 0;
        entries[i].ProfileIndex = profileIndex;
    }
}

constexpr std::array<PresetInfo, 7> kCatalogue = {{
    {PresetLayout::Horizontal2, "Button1", u"Horizontal 2", 2, 1},
    {PresetLayout::Horizontal3, "Button2", u"Horizontal 3", 3, 2},
    {PresetLayout::Horizontal4, "Button3", u"Horizontal 4", 4, 3},
    {PresetLayout::Distributed4, "Button4", u"Distribuída 4", 5, 4},
    {PresetLayout::Distributed12, "Button5", u"Distribuída 1-2", 6, 5},
    {PresetLayout::Distributed21, "Button6", u"Distribuída 2-1", 7, 6},
    {PresetLayout::Single, "Button7", u"Único", 8, 0},
}};

} // namespace

void LayoutHorizontal(int n, int width, int height, TPipSetup& entries) {
    const int pitch = n != 0 ? width / n : 0;
    const int half = pitch / 2;
    for (int i = 0; i < static_cast<int>(kPipCount); ++i) {
        TPipEntry& e = entries[i];
        if (i < n) {
            e.RecTop = 0;
            e.RecBottom = height;
            e.RecLeft = width / 2 - half;
            e.RecRight = width / 2 + half;
            e.PosX = pitch * i;
            e.Width = e.RecRight - e.RecLeft;
            e.Height = e.RecBottom - e.RecTop;
            e.Visible = 1;
        } else {
            Clear(e);
        }
        e.PosY = 0;
        e.ProfileIndex = n - 1;
    }
}

void LayoutDistributed4(int width, int height, TPipSetup& entries) {
    const int halfW = width / 2;
    const int halfH = height / 2;
    for (int i = 0; i < static_cast<int>(kPipCount); ++i) {
        TPipEntry& e = entries[i];
        SetFullCrop(e, width, height);
        Place(e, (i % 2) * halfW, (i / 2) * halfH, halfW, halfH);
        e.Visible = 1;
        e.ProfileIndex = 4;
    }
}

void LayoutDistributed12(int width, int height, TPipSetup& entries) {
    LayoutOneAndTwo(width, height, entries, 0, 0, {1, 2}, width / 2, 5);
}

void LayoutDistributed21(int width, int height, TPipSetup& entries) {
    LayoutOneAndTwo(width, height, entries, 2, width / 2, {0, 1}, 0, 6);
}

void LayoutSingle(int width, int height, TPipSetup& entries) {
    const int w = width / 3;
    const int h = height / 3;
    const int left = width / 20;
    const int right = width - width / 20 - w;
    const int top = height / 12;
    const int bottom = height - height / 12 - h;
    const std::array<std::array<int, 2>, kPipCount> corners = {
        {{left, top}, {right, top}, {left, bottom}, {right, bottom}}};
    for (std::size_t i = 0; i < kPipCount; ++i) {
        TPipEntry& e = entries[i];
        SetFullCrop(e, width, height);
        Place(e, corners[i][0], corners[i][1], w, h);
        e.Visible = i == 0 ? 1 : 0;
        e.ProfileIndex = 4;
    }
}

std::span<const PresetInfo> PresetCatalogue() {
    return kCatalogue;
}

const PresetInfo* FindPreset(const QString& captionOrButtonName) {
    for (const PresetInfo& p : kCatalogue) {
        if (captionOrButtonName == QString::fromUtf16(p.caption) ||
            captionOrButtonName == QLatin1String(p.buttonName)) {
            return &p;
        }
    }
    return nullptr;
}

const PresetInfo* PresetByNumber(int buttonNumber) {
    for (const PresetInfo& p : kCatalogue) {
        if (p.buttonNumber() == buttonNumber) {
            return &p;
        }
    }
    return nullptr;
}

void ApplyPresetGeometry(PresetLayout layout, VideoSize video, TPipSetup& entries) {
    const int w = video.width;
    const int h = video.height;
    switch (layout) {
    case PresetLayout::Single:
        LayoutSingle(w, h, entries);
        break;
    case PresetLayout::Horizontal2:
        LayoutHorizontal(2, w, h, entries);
        break;
    case PresetLayout::Horizontal3:
        LayoutHorizontal(3, w, h, entries);
        break;
    case PresetLayout::Horizontal4:
        LayoutHorizontal(4, w, h, entries);
        break;
    case PresetLayout::Distributed4:
        LayoutDistributed4(w, h, entries);
        break;
    case PresetLayout::Distributed12:
        LayoutDistributed12(w, h, entries);
        break;
    case PresetLayout::Distributed21:
        LayoutDistributed21(w, h, entries);
        break;
    }
}

void ReadPIPInputs(const std::array<int, kPipCount>& inputs, TPipSetup& entries) {
    for (std::size_t i = 0; i < kPipCount; ++i) {
        entries[i].InputIndex = inputs[i];
    }
}

void StoreProfileIndex(int tag, TPipSetup& entries) {
    entries[0].ProfileIndex = tag - 1;
}

void ApplyLayoutButton(const PresetInfo& preset, const std::array<int, kPipCount>& inputs,
                       VideoSize video, TPipSetup& entries) {
    ReadPIPInputs(inputs, entries);
    ApplyPresetGeometry(preset.layout, video, entries);
    StoreProfileIndex(preset.tag, entries);
}

} // namespace quorvel
