#include "front/console/console_view.h"

#include <algorithm>

#include "front/console/console_platform.h"
#include "front/console/progress_meter.h"
#include "station/dialog_controls.h"
#include "texts/catalogue.h"

namespace quillon::console {

ConsoleView::ConsoleView(std::FILE* progressOut, std::FILE* errorOut, bool terminal, int progressTotal)
    : m_progressOut(progressOut),
      m_errorOut(errorOut),
      m_terminal(terminal),
      m_progressTotal(progressTotal),
      m_progressCount(progressTotal) {}

void ConsoleView::ShowControlEnabled(int controlId, bool enabled) {
  std::scoped_lock guard(m_lock);
  if (enabled) {
    m_enabled.insert(controlId);
  } else if (m_enabled.erase(controlId) != 0 && controlId == kJobButtonIds.front()) {
    // The job buttons go together: one of them stands for the link.
    ++m_linkDrops;
  }
  m_changed.notify_all();
}

void ConsoleView::ShowProgress(int position) {
  std::scoped_lock guard(m_lock);
  if (!m_progressCount.Show(position)) {
    // A job resets the bar as it opens and again as it closes.
    m_lastMark = -1;
    return;
  }
  // The job's opening makes the first step; every later one is a page done. The rate runs from the
  // first page, after the opening's pause.
  const int pages = std::max(m_progressCount.Steps() - 1, 0);
  m_pagesCounted = pages;
  if (pages <= 1) m_jobStart = std::chrono::steady_clock::now();
  const ProgressFigures figures{
      .pages = pages,
      .total = m_expectedPages,
      .barPosition = position,
      .barTotal = m_progressTotal,
      .timedPages = pages - 1,
      .elapsedSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_jobStart).count()};
  if (m_events != nullptr) {
    m_events->Progress(pages, figures.elapsedSeconds);
    return;
  }
  const std::string line = FormatProgressLine(figures);
  if (m_terminal) {
    // Padded, so that a shorter line leaves nothing of the last behind.
    std::fprintf(m_progressOut, "\r%-78s", line.c_str());
    m_barDrawn = true;
  } else if (const int mark =
                 pages * 10 / std::max(m_expectedPages > 0 ? m_expectedPages : m_progressTotal, 1);
             mark != m_lastMark) {
    m_lastMark = mark;
    std::fprintf(m_progressOut, "%s\n", line.c_str());
  }
  std::fflush(m_progressOut);
}

void ConsoleView::ExpectPages(int total) {
  std::scoped_lock guard(m_lock);
  m_expectedPages = total;
  m_pagesCounted = 0;
}

void ConsoleView::ShowLinkStatus(const std::string& text) {
  std::scoped_lock guard(m_lock);
  m_linkStatus = text;
  SayLine(text);
}

void ConsoleView::ShowLinked(const DeviceLink& link) {
  std::scoped_lock guard(m_lock);
  m_lastLink = link.Name();
  if (m_events != nullptr) m_events->Linked(m_lastLink);
}

void ConsoleView::ShowDeviceAbsent() {
  std::scoped_lock guard(m_lock);
  ++m_absences;
  m_changed.notify_all();
}

int ConsoleView::Absences() const {
  std::scoped_lock guard(m_lock);
  return m_absences;
}

bool ConsoleView::WaitForDeviceGone(int absencesSeen, int dropsSeen,
                                    std::chrono::steady_clock::time_point deadline) {
  std::unique_lock guard(m_lock);
  return m_changed.wait_until(guard, deadline,
                              [&] { return m_absences > absencesSeen || m_linkDrops > dropsSeen; });
}

void ConsoleView::ShowNotice(const std::string& text) {
  std::scoped_lock guard(m_lock);
  SayLine(text);
}

void ConsoleView::SayLine(const std::string& text) {
  EndBarLine();
  std::fprintf(m_errorOut, "%s\n", text.c_str());
  std::fflush(m_errorOut);
}

void ConsoleView::ShowMessageBox(const std::string& text, const std::string& title, MessageIcon icon) {
  std::scoped_lock guard(m_lock);
  EndBarLine();
  const char* kind = icon == MessageIcon::kError ? Tr("error") : Tr("information");
  std::fprintf(m_errorOut, "[%s] %s: %s\n", title.c_str(), kind, text.c_str());
  std::fflush(m_errorOut);
  m_messages.push_back(text);
  m_changed.notify_all();
}

bool ConsoleView::WaitUntilEnabled(int controlId, std::chrono::steady_clock::time_point deadline) {
  std::unique_lock guard(m_lock);
  return m_changed.wait_until(guard, deadline, [&] { return m_enabled.contains(controlId); });
}

std::vector<std::string> ConsoleView::MessageTexts() const {
  std::scoped_lock guard(m_lock);
  return m_messages;
}

int ConsoleView::PagesCounted() const {
  std::scoped_lock guard(m_lock);
  return m_pagesCounted;
}

int ConsoleView::LinkDrops() const {
  std::scoped_lock guard(m_lock);
  return m_linkDrops;
}

bool ConsoleView::WaitForLinkDrop(int dropsSeen, std::chrono::steady_clock::time_point deadline) {
  std::unique_lock guard(m_lock);
  return m_changed.wait_until(guard, deadline, [&] { return m_linkDrops > dropsSeen; });
}

std::string ConsoleView::LinkStatus() const {
  std::scoped_lock guard(m_lock);
  return m_linkStatus;
}

std::string ConsoleView::LastLink() const {
  std::scoped_lock guard(m_lock);
  return m_lastLink;
}

void ConsoleView::EndBarLine() {
  if (!m_barDrawn) return;
  std::fputc('\n', m_progressOut);
  m_barDrawn = false;
}

void ConsoleView::PlaySoundFile(const std::string& path) {
  if (!m_quiet) PlayConsoleSound(path);
}

}  // namespace quillon::console
