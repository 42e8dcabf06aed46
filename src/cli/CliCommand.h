#pragma once

#include <iosfwd>

#include "CliArguments.h"

namespace tolvane {

// Runs tolvane-cli on parsed arguments; returns the exit status.
int RunCli(const CliArguments& arguments, std::ostream& out, std::ostream& err);

// A path or name for one output line: bytes as they are, with a backslash, tab or
// line feed written as \\, \t or \n so that every row stays one line.
std::string EscapeForLine(std::string_view bytes);

}  // namespace tolvane
