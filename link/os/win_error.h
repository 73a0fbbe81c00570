// The system's words for a Win32 error code in UTF-8, as FormatMessage gives them in the default language.
#pragma once

#include <string>

namespace quillon {

// "The system cannot find the file specified." for 2; "error 1234" when the system has no words for it.
std::string SystemErrorText(unsigned long error);

}  // namespace quillon
