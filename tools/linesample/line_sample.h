// A production line of eight slots in every state a shift shows, for the screenshots of the production
// view in docs/screenshots: the model is told scripted slot events, as the supervisor would tell them.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "line/line_model.h"

namespace quillon {

// "FILE.png --lang en|zh": sets the language and gives the file; nullopt, the usage printed, when the
// arguments are otherwise.
std::optional<std::string> SampleArguments(int argc, char** argv);

// The model, telling a view that does nothing; `portPrefix` names the ports ("/dev/ttyUSB", "COM").
std::unique_ptr<LineModel> SampleLine(const std::string& portPrefix);

}  // namespace quillon
