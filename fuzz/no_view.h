// The silent view without its one word: the fuzz targets run the dialog millions of times, and a message
// box printed each time would only flood the run.
#pragma once

#include <string>

#include "station/silent_view.h"

namespace quillon::fuzz {

class NoView final : public SilentView {
 public:
  void ShowMessageBox(const std::string&, const std::string&, MessageIcon) override {}
};

}  // namespace quillon::fuzz
