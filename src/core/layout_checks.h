#pragma once
// What is looked at before a template is saved: the faults in a layout that the switcher would show
// wrongly or not at all. Only visible PIPs are looked at; a hidden PIP may hold anything.

#include <QString>

#include <vector>

#include "core/pip_entry.h"

namespace quorvel {

enum class LayoutProblemKind {
    EmptySize,        // width or height zero or negative
    CropOutside,      // the crop leaves the input picture or is empty
    OutsidePicture,   // no part of the PIP lies in the picture
    InputBeyondCount, // the input is not one of 1..InputCount
};

struct LayoutProblem {
    int pip = 0; // 1 to 4
    LayoutProblemKind kind = LayoutProblemKind::EmptySize;
    QString text; // one line for the operator, naming the PIP and the values
};

// The problems of the visible PIPs, by PIP and then in the order of LayoutProblemKind. The input
// picture is taken to be the video's size, as for the crop commands.
std::vector<LayoutProblem> CheckLayout(const TPipSetup& setup, VideoSize video, int inputCount);

} // namespace quorvel
