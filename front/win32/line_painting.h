// What the production view shows, painted with GDI: the header, the banner while the settings are open,
// and a tile per slot, as front/common/line_look.h lays them out.
#pragma once

#include <string>

#include "line/line_model.h"
#include "link/os/windows_api.h"

namespace quillon::win32 {

// Paints the model into `area`, or, without one, why there is no line.
void PaintLine(HDC dc, const RECT& area, const LineModel* model, const std::string& problem);

}  // namespace quillon::win32
