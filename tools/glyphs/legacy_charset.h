// A two-byte national character set (GB2312, EUC-KR, EUC-JP, Big5) decoded through the C library's iconv,
// one character at a time.
#pragma once

#include <iconv.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace quillon::tools {

class LegacyCharset {
 public:
  // `name` as iconv knows it ("GB2312", "EUC-KR", ...). Nothing when iconv does not.
  static std::optional<LegacyCharset> Open(const std::string& name);

  LegacyCharset(LegacyCharset&& other) noexcept : m_converter(std::exchange(other.m_converter, kNone)) {}
  LegacyCharset& operator=(LegacyCharset&& other) noexcept {
    std::swap(m_converter, other.m_converter);
    return *this;
  }
  LegacyCharset(const LegacyCharset&) = delete;
  LegacyCharset& operator=(const LegacyCharset&) = delete;
  ~LegacyCharset();

  // The character of a two-byte code (lead byte first, e.g. 0xB0A1), or nothing where the set assigns none.
  std::optional<char32_t> Decode(std::uint16_t code);

 private:
  static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);

  explicit LegacyCharset(iconv_t converter) : m_converter(converter) {}

  iconv_t m_converter;
};

}  // namespace quillon::tools
