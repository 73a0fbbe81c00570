#include "link/files/log_file.h"

namespace quillon {

bool TailHoldsLine(std::string_view tail, bool wholeFile, const std::string& line) {
  const std::string whole = line + "\n";
  if (wholeFile && tail.starts_with(whole)) return true;
  return tail.find("\n" + whole) != std::string_view::npos;
}

}  // namespace quillon
