#pragma once

namespace tolvane {

// Lowers the priority of the calling thread below the user-interface thread's: work
// done in the background (new names of 100,000 rows, the conflict check) must not
// stretch a keystroke's handling when there are fewer processors than busy threads.
void RunBelowInterface();

}  // namespace tolvane
