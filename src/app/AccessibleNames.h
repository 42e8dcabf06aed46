#pragma once

namespace tolvane {

// The control whose caption names control `id` for screen readers: the control itself
// when it has a caption, else the nearest captioned control in front of it on its row
// (the label of a box, the radio button of a number field), or the control it belongs
// to (a spin's field, the text-mode editor's check box). 0 when none names it.
int LabelIdOf(int id);

}  // namespace tolvane
