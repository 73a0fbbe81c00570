#include <cstdlib>
#include <string_view>

#include "texts/catalogue.h"

namespace quillon {

Language SystemLanguage() {
  for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') continue;
    // LANGUAGE may list several ("en_GB:de"): the first is the one wanted.
    return std::string_view(value).starts_with("en") ? Language::kEnglish : Language::kChinese;
  }
  return Language::kChinese;
}

}  // namespace quillon
