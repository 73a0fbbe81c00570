#include "tools/glyphs/legacy_charset.h"

#include <cstring>

namespace quillon::tools {

std::optional<LegacyCharset> LegacyCharset::Open(const std::string& name) {
  const iconv_t converter = iconv_open("UTF-32LE", name.c_str());
  if (converter == kNone) return std::nullopt;
  return LegacyCharset(converter);
}

LegacyCharset::~LegacyCharset() {
  if (m_converter != kNone) iconv_close(m_converter);
}

std::optional<char32_t> LegacyCharset::Decode(std::uint16_t code) {
  char input[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
  unsigned char output[8] = {};
  char* in = input;
  char* out = reinterpret_cast<char*>(output);
  std::size_t inLeft = sizeof input;
  std::size_t outLeft = sizeof output;
  iconv(m_converter, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state for every code
  if (iconv(m_converter, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) return std::nullopt;
  // Exactly the two bytes must make exactly one character.
  if (inLeft != 0 || sizeof output - outLeft != 4) return std::nullopt;
  return static_cast<char32_t>(output[0] | output[1] << 8 | output[2] << 16 | output[3] << 24);
}

}  // namespace quillon::tools
