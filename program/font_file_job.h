// The job of the five font package buttons: an Intel-HEX file from the working directory, checked in
// full, then written page by page below the font area's limit (kFontAddressLimit).
#pragma once

#include <cstdint>

#include "program/font_package.h"

namespace quillon {

class CQuillonDlg;

inline constexpr char kWriteFileMissingText[] = "没有找到写入文件!!!";

// The package file of job modes 1..5; nullptr for any other mode.
const char* FontFileName(std::uint8_t jobMode);

// The worker the buttons start, with g_jobMode 1..5 and g_jobBusy set.
void FontFileJob(CQuillonDlg& dlg);

}  // namespace quillon
