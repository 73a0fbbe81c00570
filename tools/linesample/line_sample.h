// A production line of eight slots in every state a shift shows, for the screenshots of the production
// view in docs/screenshots: the model is told scripted slot events, as the supervisor would tell them.
#pragma once

#include <memory>

#include "line/line_model.h"

namespace quillon {

// The model, its view doing nothing; `portPrefix` names the ports ("/dev/ttyUSB", "COM").
std::unique_ptr<LineModel> SampleLine(LineView& view, const std::string& portPrefix);

}  // namespace quillon
