#include "texts/catalogue.h"

#include <atomic>
#include <cstdint>
#include <cstring>

#include "texts/compiled_catalogues.h"

namespace quillon {
namespace {

std::atomic<Language> g_language{Language::kChinese};

// A catalogue as msgfmt compiles it (a .mo file): a header, then a table of the messages and one of
// their translations, each entry a length and an offset, the messages sorted as strcmp sorts them.
class CompiledCatalogue {
 public:
  explicit CompiledCatalogue(const CompiledBytes& bytes) : m_data(bytes.data), m_size(bytes.size) {
    if (m_size < 28 || Word(0) != kMagic) return;
    m_count = Word(8);
    m_messages = Word(12);
    m_translations = Word(16);
    if (m_messages + 8ull * m_count > m_size || m_translations + 8ull * m_count > m_size) m_count = 0;
  }

  // The translation, or nullptr.
  const char* Find(const char* message) const {
    std::uint32_t low = 0;
    std::uint32_t high = m_count;
    while (low < high) {
      const std::uint32_t middle = low + (high - low) / 2;
      const int order = std::strcmp(message, String(m_messages, middle));
      if (order == 0) return String(m_translations, middle);
      if (order < 0) {
        high = middle;
      } else {
        low = middle + 1;
      }
    }
    return nullptr;
  }

 private:
  static constexpr std::uint32_t kMagic = 0x950412de;

  std::uint32_t Word(std::size_t offset) const {
    std::uint32_t value = 0;
    std::memcpy(&value, m_data + offset, sizeof value);  // msgfmt writes the build machine's order
    return value;
  }
  const char* String(std::uint32_t table, std::uint32_t index) const {
    const std::uint32_t offset = Word(table + 8 * index + 4);
    return offset < m_size ? reinterpret_cast<const char*>(m_data + offset) : "";
  }

  const unsigned char* m_data;
  std::size_t m_size;
  std::uint32_t m_count = 0;
  std::uint32_t m_messages = 0;
  std::uint32_t m_translations = 0;
};

const CompiledCatalogue& CatalogueOf(Language language) {
  static const CompiledCatalogue chinese(kChineseCatalogue);
  static const CompiledCatalogue english(kEnglishCatalogue);
  return language == Language::kEnglish ? english : chinese;
}

}  // namespace

void SetLanguage(Language language) {
  g_language.store(language);
}

Language CurrentLanguage() {
  return g_language.load();
}

const char* Tr(const char* message) {
  if (*message == '\0') return message;  // the catalogue's header has the empty message
  const char* translated = CatalogueOf(CurrentLanguage()).Find(message);
  return translated != nullptr && *translated != '\0' ? translated : message;
}

std::string Tr(const char* message, std::initializer_list<std::string_view> parts) {
  const std::string_view text = Tr(message);
  std::string result;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const bool placeholder = text[at] == '{' && at + 2 < text.size() && text[at + 2] == '}' &&
                             text[at + 1] >= '1' && text[at + 1] <= '9';
    const std::size_t part = placeholder ? static_cast<std::size_t>(text[at + 1] - '1') : parts.size();
    if (part < parts.size()) {
      result += *(parts.begin() + part);
      at += 2;
    } else {
      result += text[at];
    }
  }
  return result;
}

bool LanguageNamed(std::string_view name, Language& language) {
  if (name == "zh") {
    language = Language::kChinese;
  } else if (name == "en") {
    language = Language::kEnglish;
  } else {
    return false;
  }
  return true;
}

}  // namespace quillon
