// What the main dialog needs from a screen: a passive view that mirrors the dialog's model. The Qt
// window, the console and the tests' fake each implement it.
#pragma once

#include <string>

#include "link/link_status.h"

namespace quillon {

enum class MessageIcon : unsigned {
  kError = 0x10,
  kInformation = 0x40,
};

class DialogView {
 public:
  virtual ~DialogView() = default;

  // Called on the dialog thread whenever the model changes.
  virtual void ShowTitle(const std::string& title) = 0;
  virtual void ShowControlEnabled(int controlId, bool enabled) = 0;
  virtual void ShowProgress(int position) = 0;
  virtual void ShowSlider(int position) = 0;
  // The status line: which link is up, or why none is.
  virtual void ShowLinkStatus(const std::string& text) = 0;
  // A link has come up (its status line shown just before): the link as a value, for whoever records
  // units; the window has nothing more to show.
  virtual void ShowLinked(const DeviceLink& /*link*/) {}
  // A connection attempt found no device at all: none on the port named, no CH340 adapter, no USB
  // device (a port that is there but busy or not permitted is not this). Whoever waits for a unit to be
  // taken away learns it so, as a value.
  virtual void ShowDeviceAbsent() {}
  // Something the operator should know that needs no answer ("Speed.txt is a named pipe, not a file"),
  // said once: the console writes it on standard error; the window leaves it to its status line's
  // next words.
  virtual void ShowNotice(const std::string& /*text*/) {}

  // Called from any thread. Blocks the caller until the operator has closed the box.
  virtual void ShowMessageBox(const std::string& text, const std::string& title, MessageIcon icon) = 0;
  // Starts the sound and returns at once; the default sound plays when the file is missing.
  virtual void PlaySoundFile(const std::string& path) = 0;
  // Shows the About box; the dialog thread goes on meanwhile.
  virtual void ShowAboutBox() = 0;
  // The dialog has ended: the window closes.
  virtual void EndDialog() = 0;
};

}  // namespace quillon
