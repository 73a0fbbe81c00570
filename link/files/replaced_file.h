// An output file that replaces its target whole or not at all ("Speed.txt", quillon-cli read --out):
// written into a file of its own beside the target and renamed over it only once every byte is written,
// on the disk and closed without a fault. A reader of the target finds the old file or the new one,
// never half of either, and a failure leaves the target as it was.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "texts/problem.h"

namespace quillon {

class ReplacedFile {
 public:
  // Problems are kOutputFailed, in words that name the target.
  static Result<ReplacedFile> Create(const std::string& utf8Target);
  // The new file is removed unless Commit made it the target.
  ~ReplacedFile();
  ReplacedFile(ReplacedFile&&) noexcept;
  ReplacedFile& operator=(ReplacedFile&&) = delete;
  ReplacedFile(const ReplacedFile&) = delete;
  ReplacedFile& operator=(const ReplacedFile&) = delete;

  Result<void> Write(const void* bytes, std::size_t count);
  // The new file on the disk, closed, and renamed over the target.
  Result<void> Commit();

 private:
  class Platform;  // the file's handle and names, per platform
  explicit ReplacedFile(std::unique_ptr<Platform> platform);

  std::unique_ptr<Platform> m_platform;
};

// How a text file's lines end on this platform, as the C library's text mode writes them.
#ifdef _WIN32
inline constexpr char kTextLineEnd[] = "\r\n";
#else
inline constexpr char kTextLineEnd[] = "\n";
#endif

// Replaces the target with `text` through a ReplacedFile.
Result<void> ReplaceFileWith(const std::string& utf8Target, const std::string& text);

}  // namespace quillon
