// For a test that compares the station's added texts in their English wording: the station speaks
// English while it lives, and the language it had afterwards.
#pragma once

#include "texts/catalogue.h"

namespace quillon::testing {

class InEnglish {
 public:
  InEnglish() : m_before(CurrentLanguage()) { SetLanguage(Language::kEnglish); }
  ~InEnglish() { SetLanguage(m_before); }
  InEnglish(const InEnglish&) = delete;
  InEnglish& operator=(const InEnglish&) = delete;

 private:
  const Language m_before;
};

}  // namespace quillon::testing
