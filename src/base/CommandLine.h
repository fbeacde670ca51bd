// ProgramArguments: a program's arguments as UTF-8 text. On Windows they are
// read from the wide command line, since the narrow argv the C runtime hands
// to main has lost every character outside the system's code page.
#pragma once

#include <string>
#include <vector>

namespace pellamy {

// The arguments after the program's name.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace pellamy
