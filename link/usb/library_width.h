// The width of a Windows library file (a PE image), read from its header: a program loads only
// libraries of its own width, and an operator given the wrong one needs to be told which it is.
#pragma once

#include <filesystem>

namespace quillon {

// 32 or 64 for an x86 or x86-64 (or ARM64) image; 0 when the file is none of these or unreadable.
int LibraryWidthBits(const std::filesystem::path& file);

// The width of this program.
inline constexpr int kProgramWidthBits = static_cast<int>(sizeof(void*) * 8);

}  // namespace quillon
