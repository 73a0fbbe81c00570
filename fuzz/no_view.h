// A view that shows nothing and answers every message box at once: the fuzz targets run the dialog
// millions of times, and a record of what it showed would only grow.
#pragma once

#include <string>

#include "app/dialog_view.h"

namespace quillon::fuzz {

class NoView final : public DialogView {
 public:
  void ShowTitle(const std::string&) override {}
  void ShowControlEnabled(int, bool) override {}
  void ShowProgress(int) override {}
  void ShowSlider(int) override {}
  void ShowLinkStatus(const std::string&) override {}
  void ShowMessageBox(const std::string&, const std::string&, MessageIcon) override {}
  void PlaySoundFile(const std::string&) override {}
  void ShowAboutBox() override {}
  void EndDialog() override {}
};

}  // namespace quillon::fuzz
