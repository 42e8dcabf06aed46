#pragma once

class QWidget;

namespace tolvane {

// Whether the program that holds the clipboard answers. Asked for the clipboard, Qt
// waits up to five seconds on X11 for an owner that never answers, with the window
// frozen; asking the owner first for the list of formats it offers, on a connection of
// our own, gives up after a short wait instead.
class ClipboardOwner {
  public:
    // How long an owner has to answer before the clipboard is given up.
    static constexpr int kWaitMs = 1000;

    // True unless this is an X11 session whose clipboard is held by another program
    // that did not answer within `timeoutMs`.
    static bool Answers(int timeoutMs = kWaitMs);
    // The same question to the X server of `display` (":N"; empty: $DISPLAY), whoever
    // holds the clipboard; true where no X server can be reached or nobody holds it.
    static bool AnswersOnDisplay(const char* display, int timeoutMs);
};

}  // namespace tolvane
