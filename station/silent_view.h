// A view for programs without a window: it shows nothing, and prints a message box to standard error
// and answers it at once.
#pragma once

#include <cstdio>

#include "station/dialog_view.h"

namespace quillon {

class SilentView : public DialogView {
 public:
  void ShowTitle(const std::string&) override {}
  void ShowControlEnabled(int, bool) override {}
  void ShowProgress(int) override {}
  void ShowSlider(int) override {}
  void ShowLinkStatus(const std::string&) override {}
  void ShowMessageBox(const std::string& text, const std::string& title, MessageIcon) override {
    std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
  }
  void PlaySoundFile(const std::string&) override {}
  void ShowAboutBox() override {}
  void EndDialog() override {}
};

}  // namespace quillon
