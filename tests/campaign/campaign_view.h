// What the operator would see of one job, recorded for the campaign's checks: the message boxes (each
// answered at once), the highest progress the bar showed since the job began, and the status line. It
// keeps only the current job's, so a campaign of any length holds a bounded record.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "station/dialog_view.h"

namespace quillon::campaign {

class CampaignView final : public DialogView {
 public:
  void ShowTitle(const std::string&) override {}
  void ShowControlEnabled(int, bool) override {}
  void ShowProgress(int position) override {
    std::scoped_lock guard(m_lock);
    m_highestProgress = std::max(m_highestProgress, position);
  }
  void ShowSlider(int) override {}
  void ShowLinkStatus(const std::string& text) override {
    std::scoped_lock guard(m_lock);
    m_linkStatus = text;
    m_changed.notify_all();
  }
  void ShowMessageBox(const std::string& text, const std::string&, MessageIcon) override {
    std::scoped_lock guard(m_lock);
    m_boxes.push_back(text);
    m_changed.notify_all();
  }
  void PlaySoundFile(const std::string&) override {}
  void ShowAboutBox() override {}
  void EndDialog() override {}

  // Forgets the last job's boxes and progress.
  void NewJob() {
    std::scoped_lock guard(m_lock);
    m_boxes.clear();
    m_highestProgress = 0;
  }
  std::vector<std::string> Boxes() const {
    std::scoped_lock guard(m_lock);
    return m_boxes;
  }
  int HighestProgress() const {
    std::scoped_lock guard(m_lock);
    return m_highestProgress;
  }
  std::string LinkStatus() const {
    std::scoped_lock guard(m_lock);
    return m_linkStatus;
  }
  // Waits until `holds` is true of the view, or the time is up; whether it held.
  template <typename Condition>
  bool WaitUntil(std::chrono::steady_clock::time_point deadline, Condition holds) {
    std::unique_lock guard(m_lock);
    return m_changed.wait_until(guard, deadline, [&] { return holds(m_boxes, m_linkStatus); });
  }

 private:
  mutable std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<std::string> m_boxes;
  int m_highestProgress = 0;
  std::string m_linkStatus;
};

}  // namespace quillon::campaign
