#include <mutex>
#include <optional>

#include "line/slot_process.h"
#include "link/os/wide_text.h"
#include "link/os/win_error.h"
#include "link/os/win_handle.h"
#include "link/os/windows_api.h"

namespace quillon {
namespace {

Problem CannotStart(const std::string& what, DWORD error) {
  return {ProblemKind::kSystem, what + ": " + SystemErrorText(error)};
}

// One argument as CommandLineToArgvW will read it back: quoted when it holds a space, a tab or a
// quote, with the backslashes before a quote (and before the closing quote) doubled.
std::wstring QuotedArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

// A pipe whose `inherited` end (0 the read end, 1 the write end) a child may inherit, and the other not.
bool MakePipe(WinHandle& readEnd, WinHandle& writeEnd, int inherited) {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE ends[2] = {nullptr, nullptr};
  if (!::CreatePipe(&ends[0], &ends[1], &inheritable, 0)) return false;
  readEnd.reset(ends[0]);
  writeEnd.reset(ends[1]);
  ::SetHandleInformation(ends[1 - inherited], HANDLE_FLAG_INHERIT, 0);
  return true;
}

class WinSlotProcess : public SlotProcess {
 public:
  WinSlotProcess(PROCESS_INFORMATION info, WinHandle output, WinHandle control)
      : m_process(info.hProcess),
        m_thread(info.hThread),
        m_output(std::move(output)),
        m_control(std::move(control)) {}
  ~WinSlotProcess() override { Wait(); }

  bool ReadLine(std::string& line) override {
    for (;;) {
      if (m_lines.Take(line, m_closed)) return true;
      if (m_closed) return false;
      char buffer[4096];
      DWORD count = 0;
      // A broken pipe is the process having closed its output.
      if (::ReadFile(m_output.get(), buffer, sizeof buffer, &count, nullptr) && count > 0) {
        m_lines.Add(buffer, count);
      } else {
        m_closed = true;
      }
    }
  }

  bool Send(char control) override {
    DWORD written = 0;
    return ::WriteFile(m_control.get(), &control, 1, &written, nullptr) && written == 1;
  }

  void Kill() override { ::TerminateProcess(m_process.get(), 1); }

  SlotEnding Wait() override {
    std::scoped_lock guard(m_lock);
    if (m_ending) return *m_ending;
    ::WaitForSingleObject(m_process.get(), INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(m_process.get(), &code);
    SlotEnding ending;
    ending.exitCode = static_cast<int>(code);
    // An exception the process did not handle ends it with its status: 0xC0000005, an access violation.
    if (code >= 0xC0000000u) {
      char status[16];
      std::snprintf(status, sizeof status, "0x%08lX", static_cast<unsigned long>(code));
      ending.exitCode = 1;
      ending.fault = std::string("status ") + status;
    }
    m_ending = ending;
    return ending;
  }

 private:
  WinHandle m_process;
  WinHandle m_thread;
  WinHandle m_output;
  WinHandle m_control;
  LineSplitter m_lines;
  bool m_closed = false;
  std::mutex m_lock;
  std::optional<SlotEnding> m_ending;
};

}  // namespace

Result<std::unique_ptr<SlotProcess>> SlotProcess::Start(const std::string& program,
                                                        const std::vector<std::string>& arguments) {
  wchar_t self[MAX_PATH * 4];
  const DWORD length = ::GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
  if (length == 0 || length == std::size(self))
    return CannotStart("cannot find this program", ::GetLastError());
  const std::wstring path = program.empty() ? std::wstring(self) : WideText(program);
  std::wstring commandLine = QuotedArgument(path);
  for (const std::string& argument : arguments) commandLine += L" " + QuotedArgument(WideText(argument));

  // The slot's ends go to the slot alone; the supervisor's stay here, and no other process inherits
  // them: the control pipe breaks when the supervisor goes, however it goes.
  WinHandle outputRead, outputWrite, controlRead, controlWrite;
  if (!MakePipe(outputRead, outputWrite, 1) || !MakePipe(controlRead, controlWrite, 0)) {
    return CannotStart("cannot make a pipe", ::GetLastError());
  }
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = controlRead.get();
  startup.StartupInfo.hStdOutput = outputWrite.get();
  startup.StartupInfo.hStdError = outputWrite.get();
  // Only these two are inherited, whatever else is inheritable at the moment.
  HANDLE inherited[] = {controlRead.get(), outputWrite.get()};
  SIZE_T listSize = 0;
  ::InitializeProcThreadAttributeList(nullptr, 1, 0, &listSize);
  std::vector<char> list(listSize);
  auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list.data());
  DWORD flags = CREATE_NEW_PROCESS_GROUP | DETACHED_PROCESS;
  if (::InitializeProcThreadAttributeList(attributes, 1, 0, &listSize) &&
      ::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                  sizeof inherited, nullptr, nullptr)) {
    startup.lpAttributeList = attributes;
    flags |= EXTENDED_STARTUPINFO_PRESENT;
  }
  // No console: Ctrl-C, Ctrl-Break and the console's closing reach the supervisor alone.
  PROCESS_INFORMATION info{};
  const BOOL started = ::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags,
                                        nullptr, nullptr, &startup.StartupInfo, &info);
  const DWORD error = ::GetLastError();
  if (startup.lpAttributeList != nullptr) ::DeleteProcThreadAttributeList(attributes);
  if (!started) return CannotStart("cannot start a slot's station", error);
  return std::unique_ptr<SlotProcess>(
      std::make_unique<WinSlotProcess>(info, std::move(outputRead), std::move(controlWrite)));
}

}  // namespace quillon
