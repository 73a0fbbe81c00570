#include <memory>

#include "front/common/program_arguments.h"
#include "link/os/wide_text.h"
#include "link/os/windows_api.h"

#include <shellapi.h>

namespace quillon {

std::vector<std::string> ProgramArguments(int /*argc*/, char** /*argv*/) {
  int count = 0;
  const std::unique_ptr<LPWSTR, decltype(&::LocalFree)> wide(
      ::CommandLineToArgvW(::GetCommandLineW(), &count), &::LocalFree);
  std::vector<std::string> arguments;
  // The first is the program's own name.
  for (int i = 1; wide && i < count; ++i) arguments.push_back(Utf8Text(wide.get()[i]));
  return arguments;
}

}  // namespace quillon
