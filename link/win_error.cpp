#include "link/win_error.h"

#include "link/windows_api.h"

namespace quillon {

std::string SystemErrorText(unsigned long error) {
  char text[512] = {};
  const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        error, 0, text, sizeof text, nullptr);
  std::string words(text, length);
  // The system ends its words with a line break.
  while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ')) {
    words.pop_back();
  }
  return words.empty() ? "error " + std::to_string(error) : words;
}

}  // namespace quillon
