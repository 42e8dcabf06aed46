#pragma once

namespace tolvane {

// The control whose caption names control `id` for screen readers: the control itself
// when it has a caption, else the nearest captioned control in front of it on its row
// (the label of a box, the radio button of a number field), or the control it belongs
// to (a spin's field, the text-mode editor's check box). 0 when none names it.
// 0 also for the lines under the list and the progress bar, which no caption names.
int LabelIdOf(int id);

// The language key of what a number field holds ("insert position"), which its label
// alone ("position") does not say; nullptr for other controls.
const char* NumberFieldNameKey(int fieldId);

}  // namespace tolvane
