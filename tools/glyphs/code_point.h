// A character's name in messages: U+ and its code point in hexadecimal.
#pragma once

#include <cstdio>
#include <string>

namespace quillon::tools {

inline std::string CodePointName(char32_t c) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
  return name;
}

}  // namespace quillon::tools
