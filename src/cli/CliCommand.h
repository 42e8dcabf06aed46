#pragma once

#include <iosfwd>

#include "CliArguments.h"

namespace tolvane {

// Runs tolvane-cli on parsed arguments; returns the exit status.
int RunCli(const CliArguments& arguments, std::ostream& out, std::ostream& err);

}  // namespace tolvane
