#pragma once

#include <QIcon>

namespace tolvane {

// Tolvane's own icon, drawn from the SVG compiled into the window library; sharp at
// every size from 16 to 256 pixels.
QIcon ApplicationIcon();

}  // namespace tolvane
