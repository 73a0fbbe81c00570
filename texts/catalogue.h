// The station's own texts in the operator's language. Each text is asked for by its message as the
// station has always said it (the window's captions and boxes in Chinese, the texts the station adds in
// English), and comes back in the language chosen: Chinese (zh_CN) unless English was asked for or the
// system speaks it. The catalogues are gettext's, texts/po/zh_CN.po and texts/po/en.po, compiled by
// msgfmt and built into every program, so nothing need lie beside a program.
//
// A text with parts that vary names them {1}, {2}, …, in whatever order its language puts them, so that
// no sentence is assembled from fragments a translator cannot reorder.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace quillon {

enum class Language { kChinese, kEnglish };

// For the whole process; the programs set it once, before the station starts.
void SetLanguage(Language language);
Language CurrentLanguage();

// Marks a message for the catalogue where it is defined (a constant, a table); Tr translates it where
// it is shown.
constexpr const char* N_(const char* message) {
  return message;
}

// The message in the current language; the message itself when the catalogue lacks it.
const char* Tr(const char* message);
// The same, with {1}, {2}, … replaced by the parts.
std::string Tr(const char* message, std::initializer_list<std::string_view> parts);

// "zh" or "en" as --lang takes them; false for anything else.
bool LanguageNamed(std::string_view name, Language& language);

// What the system's language says: English when it is English, else Chinese. Linux reads LANGUAGE,
// LC_ALL, LC_MESSAGES and LANG, the first that is set (the C and POSIX locales are Chinese too);
// Windows asks for the user's interface language.
Language SystemLanguage();

}  // namespace quillon
