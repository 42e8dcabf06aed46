#pragma once

#include <string>
#include <vector>

namespace tolvane {

// Gives back the memory of what a thread of the window is done with on a thread of its
// own, so that the user-interface thread does not spend its time freeing 100,000 names.
void DisposeLater(std::vector<std::wstring> garbage);

// Hands the memory that large work has freed back to the system, on a thread below the
// user-interface thread: copies of 100,000 names made and freed on other threads leave
// their pages with the process otherwise, and it looks twice its size.
void ReturnFreedMemoryLater();

// Keeps what the process frees for its next allocations, whichever thread made them,
// until ReturnFreedMemoryLater: the names of one keystroke are freed just before those
// of the next are made, and pages given back in between would be faulted in again one
// by one, which on a virtual machine costs more than computing the names. Called before
// the window starts its threads.
void HoldFreedMemoryUntilIdle();

}  // namespace tolvane
