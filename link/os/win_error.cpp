#include "link/os/win_error.h"

#include <iterator>

#include "link/os/wide_text.h"
#include "link/os/windows_api.h"

namespace quillon {

std::string SystemErrorText(unsigned long error) {
  // The wide call: the narrow one gives the words in the system's code page (GBK on a Chinese PC).
  wchar_t text[512] = {};
  const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        error, 0, text, static_cast<DWORD>(std::size(text)), nullptr);
  std::wstring words(text, length);
  // The system ends its words with a line break.
  while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ')) {
    words.pop_back();
  }
  return words.empty() ? "error " + std::to_string(error) : Utf8Text(words);
}

}  // namespace quillon
