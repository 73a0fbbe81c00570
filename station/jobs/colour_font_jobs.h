// The jobs of the five colour-screen package buttons. They take no font text: they copy fixed byte runs,
// a page at a time, into fixed flash regions, from the built-in font block and, for the Korean and the
// traditional Chinese packages, from a raw font image file in the working directory.
//
// The Latin 12 × 32 region's last page runs 208 bytes past the end of the built-in block. Those bytes
// are sent as 0xFF, what unprogrammed flash holds, and are verified like every other byte.
//
// An image file must hold every byte its region takes: its start offset plus 922368 bytes (1446656 for
// "Korea_color240_32X32.bin", 922368 for "FT_color240_32X32.bin"). A shorter file is refused with a box
// naming the file and the size it needs before any page of its region is written, so no stale or made-up
// byte reaches the device. A missing file is reported once the built-in regions are written; both leave
// the progress bar where it stands and play no sound.
#pragma once

#include "package/package_files.h"

namespace quillon {

class CQuillonDlg;

// The 240 × 240 packages from the built-in block: mode 7 the symbols and Latin fonts (130 pages), mode 6
// those and the 32 × 32 Chinese glyphs (4226 pages).
void ColourFontJob(CQuillonDlg& dlg);
// The 128 × 128 Chinese package: the 16 × 16 glyphs at flash 0 (1023 pages).
void ColourFont128Job(CQuillonDlg& dlg);
// The 240 × 240 symbols and Latin fonts, then 32 × 32 glyphs from the image file (3733 pages).
void ColourFileFontJob(CQuillonDlg& dlg, const ColourImageFile& image);

}  // namespace quillon
