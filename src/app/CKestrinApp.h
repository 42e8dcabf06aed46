#pragma once

#include "CKestrinDlg.h"

namespace tolvane {

// The program: one window per user, started with the paths of the command line; a
// second copy hands its paths to the running window and ends. Restart and exit end
// the process at once.
class CKestrinApp {
  public:
    static int Run(int argc, char** argv, CKestrinDlg::Dialogs dialogs = {});
};

}  // namespace tolvane
