// The catalogues as msgfmt compiled them, built into the program (texts/CMakeLists.txt makes them).
#pragma once

#include <cstddef>

namespace quillon {

struct CompiledBytes {
  const unsigned char* data;
  std::size_t size;
};

extern const CompiledBytes kChineseCatalogue;
extern const CompiledBytes kEnglishCatalogue;

}  // namespace quillon
