#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "texts/catalogue.h"

namespace quillon {

Language SystemLanguage() {
  return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_ENGLISH ? Language::kEnglish
                                                                     : Language::kChinese;
}

}  // namespace quillon
