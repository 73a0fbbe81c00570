#include "front/common/program_arguments.h"

namespace quillon {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  // The bytes as the shell gave them: file names are bytes, and UTF-8 in the station's locales.
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

}  // namespace quillon
