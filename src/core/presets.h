#pragma once
// The seven preset arrangements. The geometry functions change only crop, position, size,
// Visible and ProfileIndex of the entries.

#include <QString>

#include <array>
#include <span>

#include "core/pip_entry.h"

namespace quorvel {

void LayoutHorizontal(int n, int width, int height, TPipSetup& entries); // n = 2, 3 or 4 strips
void LayoutDistributed4(int width, int height, TPipSetup& entries);
void LayoutDistributed12(int width, int height, TPipSetup& entries);
void LayoutSingle(int width, int height, TPipSetup& entries);
void LayoutDistributed21(int width, int height, TPipSetup& entries);

enum class PresetLayout {
    Single,
    Horizontal2,
    Horizontal3,
    Horizontal4,
    Distributed4,
    Distributed12,
    Distributed21
};

// One layout button: its component name, caption and tag, and the picker item it sets first.
struct PresetInfo {
    PresetLayout layout;
    const char* buttonName;  // "Button7"
    const char16_t* caption; // u"Único"
    int tag;
    int pickerItem;
    int buttonNumber() const { return tag - 1; } // what StoreProfileIndex writes into entry 0
};

// The seven layout buttons in the order of their numbers, Button1 to Button7.
std::span<const PresetInfo> PresetCatalogue();

// The button of a caption ("Horizontal 2") or a component name ("Button1"); nullptr when none.
const PresetInfo* FindPreset(const QString& captionOrButtonName);

// The button whose number (1 to 7) is given; nullptr for any other number.
const PresetInfo* PresetByNumber(int buttonNumber);

void ApplyPresetGeometry(PresetLayout layout, VideoSize video, TPipSetup& entries);

// Entry i - 1's InputIndex := inputs[i - 1], for PIPs 1 to 4.
void ReadPIPInputs(const std::array<int, kPipCount>& inputs, TPipSetup& entries);

// Entry 0's ProfileIndex := tag - 1.
void StoreProfileIndex(int tag, TPipSetup& entries);

// The whole sequence of a layout button on the record: the inputs, the geometry, the profile
// index. Setting the picker item and showing the selected PIP are the window's part.
void ApplyLayoutButton(const PresetInfo& preset, const std::array<int, kPipCount>& inputs,
                       VideoSize video, TPipSetup& entries);

} // namespace quorvel
