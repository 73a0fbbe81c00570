// The program's command-line arguments in UTF-8, without the program's own name. On Windows they are
// taken from the wide command line: main's argv holds them in the system's code page, where a name in
// Chinese on a PC set to another language is lost.
#pragma once

#include <string>
#include <vector>

namespace quillon {

std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace quillon
