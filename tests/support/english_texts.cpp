// Linked into the suites that compare the station's added texts word for word: they were written
// against the English wording, so they run in English, and so do the programs they start (the station
// speaks Chinese by default; tests/texts checks both catalogues and the Chinese texts).
#include <cstdlib>

#include "texts/catalogue.h"

namespace {

const bool kInEnglish = [] {
  quillon::SetLanguage(quillon::Language::kEnglish);
#ifndef _WIN32
  ::setenv("LANGUAGE", "en", 1);
#endif
  return true;
}();

}  // namespace
