#pragma once

namespace tolvane {

// Makes every combo box keep its label's name for screen readers. Qt's own interface
// names a box after the text in it or its chosen item on Linux, so the insert box
// holding "abc" was announced as "abc" instead of "插入：". Installing twice does no harm.
void InstallComboBoxAccessible();

}  // namespace tolvane
