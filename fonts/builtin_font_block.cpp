// The block's bytes come from the asset files through the assembler's .incbin: the compiler never sees
// 1.3 MB of initialisers, and the tables lie back to back exactly as the files are. The assembler
// refuses an asset of the wrong size, because every later table would shift with it.
#include "fonts/builtin_font_block.h"

#ifndef QUILLON_FONT_ASSETS
#error "QUILLON_FONT_ASSETS must name the directory of the font assets"
#endif

// The section, its entry and its exit as the object format has them: ELF on Linux, COFF on Windows.
#ifdef _WIN32
#define QUILLON_FONT_SECTION ".section .rdata$quillon_builtin_font_block, \"dr\"\n"
#define QUILLON_FONT_SYMBOL_TYPE ""
#define QUILLON_FONT_SYMBOL_SIZE ""
#define QUILLON_FONT_SECTION_END ".text\n"
#else
#define QUILLON_FONT_SECTION ".pushsection .rodata.quillon_builtin_font_block, \"a\", @progbits\n"
#define QUILLON_FONT_SYMBOL_TYPE ".type quillon_builtin_font_block, @object\n"
#define QUILLON_FONT_SYMBOL_SIZE ".size quillon_builtin_font_block, . - quillon_builtin_font_block\n"
#define QUILLON_FONT_SECTION_END ".popsection\n"
#endif

// clang-format off
#define QUILLON_FONT_TABLE(file, end)                         \
  ".incbin \"" QUILLON_FONT_ASSETS "/" file "\"\n"            \
  ".if . - quillon_builtin_font_block - " #end "\n"          \
  ".error \"" file " does not end where its table ends\"\n"   \
  ".endif\n"

asm(QUILLON_FONT_SECTION
    ".balign 64\n"
    ".globl quillon_builtin_font_block\n"
    QUILLON_FONT_SYMBOL_TYPE
    "quillon_builtin_font_block:\n"
    QUILLON_FONT_TABLE("ascii_symbols.bin", 14656)
    QUILLON_FONT_TABLE("gb2312_32x32.bin", 1061440)
    QUILLON_FONT_TABLE("gb2312_16x16.bin", 1323136)
    QUILLON_FONT_TABLE("latin_16x32.bin", 1333440)
    QUILLON_FONT_TABLE("latin_cell_16x32.bin", 1343744)
    QUILLON_FONT_TABLE("latin_12x32.bin", 1351472)
    QUILLON_FONT_SYMBOL_SIZE
    QUILLON_FONT_SECTION_END);
// clang-format on

namespace quillon {

static_assert(kFontGb2312_32x32.End() == 1061440 && kFontGb2312_16x16.End() == 1323136 &&
                  kFontLatin16x32.End() == 1333440 && kFontLatinCell16x32.End() == 1343744 &&
                  kFontLatin12x32.End() == kBuiltinFontBlockSize,
              "the ends checked by the assembler above are the ends of the tables");

}  // namespace quillon
