// What the colour-screen jobs must leave in the device's flash, worked out from the built-in block and
// the image files in the test's own terms: whole pages copied from a place in the block or a file.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include "link/os/windows_api.h"
#endif

#include "fonts/builtin_font_block.h"
#include "tests/package/hex_package.h"

namespace quillon::testing {

inline constexpr std::size_t kFlashBytes = 16u << 20;
inline constexpr std::size_t kBytesPerPage = 256;

// Flash as a test leaves it before a job: programmed to 0x00 throughout, so that every byte the job
// writes shows, the 0xFF filler included.
inline constexpr std::uint8_t kStaleByte = 0x00;
inline std::vector<std::uint8_t> StaleFlash() {
  return std::vector<std::uint8_t>(kFlashBytes, kStaleByte);
}

// `pages` pages at `flash` from the block, starting `blockOffset` into it; bytes past the block's end
// are the 0xFF the jobs send there.
inline void PlaceFromBlock(std::vector<std::uint8_t>& image, std::uint32_t flash, std::size_t blockOffset,
                           std::size_t pages) {
  for (std::size_t i = 0; i < pages * kBytesPerPage; ++i) {
    const std::size_t from = blockOffset + i;
    image[flash + i] = from < kBuiltinFontBlock.size() ? kBuiltinFontBlock[from] : 0xFF;
  }
}

// The symbol, Latin 16 and Latin 12 regions every 240 × 240 package begins with: 130 pages.
inline void PlaceScreen240Regions(std::vector<std::uint8_t>& image) {
  PlaceFromBlock(image, 0x0F0000, kFontAsciiSymbols.offset, 58);
  PlaceFromBlock(image, 0x0F4000, kFontLatin16x32.offset, 41);
  PlaceFromBlock(image, 0x0F7000, kFontLatin12x32.offset, 31);
}

// 3603 pages at flash 0x100000 from the file's bytes, starting at `firstByte`.
inline void PlaceFromFile(std::vector<std::uint8_t>& image, const std::vector<std::uint8_t>& file,
                          std::size_t firstByte) {
  std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(firstByte), 3603 * kBytesPerPage,
              image.begin() + 0x100000);
}

// An image file of `size` bytes in the working directory, its bytes different from page to page.
inline std::vector<std::uint8_t> WriteImageFile(const std::string& name, std::size_t size) {
  std::vector<std::uint8_t> bytes = PatternBytes(0x5A5A, size);
  std::ofstream file(name, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

// The first address where the flash differs from what was expected, with both bytes; success when
// every byte is the same.
inline ::testing::AssertionResult SameFlash(std::span<const std::uint8_t> expected,
                                            std::span<const std::uint8_t> actual) {
  if (expected.size() != actual.size()) return ::testing::AssertionFailure() << "the images differ in size";
  const auto [e, a] = std::ranges::mismatch(expected, actual);
  if (e == expected.end()) return ::testing::AssertionSuccess();
  std::ostringstream where;
  where << "flash differs first at 0x" << std::hex << (e - expected.begin()) << ": expected 0x" << int{*e}
        << ", found 0x" << int{*a};
  return ::testing::AssertionFailure() << where.str();
}

// Whether this process holds the working directory's file `name` open.
inline bool FileHeldOpen(const std::string& name) {
#ifdef _WIN32
  // The C library opens files with sharing: an open that allows none fails while the file is held.
  const HANDLE file = ::CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_SHARING_VIOLATION;
  ::CloseHandle(file);
  return false;
#else
  std::error_code error;
  const std::filesystem::path target = std::filesystem::current_path(error) / name;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
    std::error_code linkError;
    if (std::filesystem::read_symlink(entry.path(), linkError) == target) return true;
  }
  return false;
#endif
}

}  // namespace quillon::testing
