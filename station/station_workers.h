// The workers the dialog starts on threads of their own: the jobs of the job buttons and the connection
// attempt of the watchdog. The programs give the station's real ones; tests give their own.
#pragma once

#include <functional>

namespace quillon {

class CQuillonDlg;

using Worker = std::function<void(CQuillonDlg&)>;

struct StationWorkers {
  Worker fontFileJob;                   // modes 1..5, the Intel-HEX packages
  Worker colourFontJob;                 // modes 6 and 7, the 240 × 240 built-in packages
  Worker colourFont128Job;              // mode 6, the 128 × 128 package
  Worker colourFileFontJobKorean;       // mode 8, completed from "Korea_color240_32X32.bin"
  Worker colourFileFontJobTraditional;  // mode 8, completed from "FT_color240_32X32.bin"
  Worker connectThread;                 // brings the link up
};

}  // namespace quillon
