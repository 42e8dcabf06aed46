#pragma once

#include <QMimeData>

#include <memory>

#include "ClipboardOwner.h"

namespace tolvane {

// The clipboard's paths and text, copied out of the platform's clipboard in one go.
// Every read asks the program that holds the clipboard. On Wayland, Qt gives up on one
// that never delivers only after a second per format, the window frozen all the while,
// and nothing there lets us ask the owner first as on X11 (see ClipboardOwner): a read
// that comes back empty that late ends the copy instead of each format waiting in turn.
class ClipboardCopy {
  public:
    // The formats that carry paths or text, with their bytes; an empty copy for an empty
    // clipboard; nullptr when the owner did not answer.
    static std::unique_ptr<QMimeData> Take(int slowMs = ClipboardOwner::kWaitMs / 2);
};

}  // namespace tolvane
