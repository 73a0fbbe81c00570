// A view that records what the dialog told it. Message boxes are answered at once, or held until the
// test releases them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "station/dialog_view.h"

namespace quillon::testing {

struct ShownMessageBox {
  std::string text;
  std::string title;
  MessageIcon icon;
};

class FakeView : public DialogView {
 public:
  void ShowTitle(const std::string& title) override {
    std::scoped_lock guard(m_lock);
    m_title = title;
  }
  void ShowControlEnabled(int controlId, bool enabled) override {
    {
      std::scoped_lock guard(m_lock);
      m_enabled[controlId] = enabled;
      m_controlUpdates.push_back(controlId);
    }
    if (m_onControlShown) m_onControlShown(controlId, enabled);
  }
  void ShowProgress(int position) override {
    std::scoped_lock guard(m_lock);
    m_progress = position;
    m_progressHistory.push_back(position);
  }
  void ShowSlider(int position) override {
    std::scoped_lock guard(m_lock);
    m_slider = position;
  }
  void ShowLinkStatus(const std::string& text) override {
    std::scoped_lock guard(m_lock);
    m_linkStatuses.push_back(text);
  }
  void ShowMessageBox(const std::string& text, const std::string& title, MessageIcon icon) override {
    std::unique_lock guard(m_lock);
    m_boxes.push_back({text, title, icon});
    m_changed.notify_all();
    m_changed.wait(guard, [this] { return !m_holdBoxes; });
  }
  void PlaySoundFile(const std::string& path) override {
    std::scoped_lock guard(m_lock);
    m_sounds.push_back(path);
  }
  void ShowAboutBox() override {
    std::scoped_lock guard(m_lock);
    ++m_aboutBoxes;
  }
  void EndDialog() override {
    std::scoped_lock guard(m_lock);
    m_ended = true;
  }

  // Runs on the dialog thread each time a control is shown enabled or disabled, as an operator's hand
  // would react to it; set it before the dialog starts switching controls.
  void OnControlShown(std::function<void(int controlId, bool enabled)> react) {
    m_onControlShown = std::move(react);
  }

  // Boxes shown from now on stay open until ReleaseMessageBoxes.
  void HoldMessageBoxes() {
    std::scoped_lock guard(m_lock);
    m_holdBoxes = true;
  }
  void ReleaseMessageBoxes() {
    std::scoped_lock guard(m_lock);
    m_holdBoxes = false;
    m_changed.notify_all();
  }
  // True once count boxes have been shown; gives up after a generous guard time.
  bool WaitForMessageBoxes(std::size_t count, std::chrono::seconds guardTime = std::chrono::seconds(20)) {
    std::unique_lock guard(m_lock);
    return m_changed.wait_for(guard, guardTime, [&] { return m_boxes.size() >= count; });
  }

  // Forgets the boxes shown so far, for a test that runs several jobs.
  void ClearMessageBoxes() {
    std::scoped_lock guard(m_lock);
    m_boxes.clear();
  }
  std::vector<ShownMessageBox> MessageBoxes() const {
    std::scoped_lock guard(m_lock);
    return m_boxes;
  }
  std::vector<std::string> Sounds() const {
    std::scoped_lock guard(m_lock);
    return m_sounds;
  }
  // The last state shown for a control; absent when never shown.
  std::map<int, bool> EnabledStates() const {
    std::scoped_lock guard(m_lock);
    return m_enabled;
  }
  std::vector<int> ControlUpdates() const {
    std::scoped_lock guard(m_lock);
    return m_controlUpdates;
  }
  std::string Title() const {
    std::scoped_lock guard(m_lock);
    return m_title;
  }
  int Progress() const {
    std::scoped_lock guard(m_lock);
    return m_progress;
  }
  // Every position shown, in order.
  std::vector<int> ProgressHistory() const {
    std::scoped_lock guard(m_lock);
    return m_progressHistory;
  }
  int Slider() const {
    std::scoped_lock guard(m_lock);
    return m_slider;
  }
  // Every status line shown, oldest first.
  std::vector<std::string> LinkStatuses() const {
    std::scoped_lock guard(m_lock);
    return m_linkStatuses;
  }
  int AboutBoxes() const {
    std::scoped_lock guard(m_lock);
    return m_aboutBoxes;
  }
  bool Ended() const {
    std::scoped_lock guard(m_lock);
    return m_ended;
  }

 private:
  mutable std::mutex m_lock;
  std::condition_variable m_changed;
  std::string m_title;
  std::map<int, bool> m_enabled;
  std::vector<int> m_controlUpdates;
  int m_progress = 0;
  std::vector<int> m_progressHistory;
  int m_slider = 0;
  std::vector<ShownMessageBox> m_boxes;
  std::vector<std::string> m_sounds;
  std::vector<std::string> m_linkStatuses;
  bool m_holdBoxes = false;
  int m_aboutBoxes = 0;
  bool m_ended = false;
  std::function<void(int, bool)> m_onControlShown;
};

}  // namespace quillon::testing
