#include "front/console/slot_process.h"
#include "link/wide_text.h"
#include "link/win_error.h"
#include "link/win_handle.h"
#include "link/windows_api.h"

namespace quillon::console {
namespace {

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

class WinSlotProcess : public SlotProcess {
 public:
  WinSlotProcess(PROCESS_INFORMATION info, WinHandle output)
      : m_process(info.hProcess),
        m_thread(info.hThread),
        m_processId(info.dwProcessId),
        m_output(std::move(output)) {}
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

  void Interrupt() override {
    // The slot runs in a process group of its own, where Ctrl-C does not reach: Ctrl-Break does, and
    // the production run ends after the unit in hand as for Ctrl-C.
    ::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, m_processId);
  }

  int Wait() override {
    ::WaitForSingleObject(m_process.get(), INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(m_process.get(), &code);
    return static_cast<int>(code);
  }

 private:
  WinHandle m_process;
  WinHandle m_thread;
  const DWORD m_processId;
  WinHandle m_output;
  LineSplitter m_lines;
  bool m_closed = false;
};

}  // namespace

std::unique_ptr<SlotProcess> SlotProcess::Start(const std::vector<std::string>& arguments,
                                                std::string& error) {
  wchar_t self[MAX_PATH * 4];
  const DWORD length = ::GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
  if (length == 0 || length == std::size(self)) {
    error = "cannot find this program: " + SystemErrorText(::GetLastError());
    return nullptr;
  }
  std::wstring commandLine = QuotedArgument(self);
  for (const std::string& argument : arguments) commandLine += L" " + QuotedArgument(WideText(argument));

  // The write end goes to the slot; the read end stays here, and no other process inherits it.
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
    error = "cannot make a pipe: " + SystemErrorText(::GetLastError());
    return nullptr;
  }
  WinHandle output(readEnd);
  WinHandle slotOutput(writeEnd);
  ::SetHandleInformation(output.get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = slotOutput.get();
  startup.hStdError = slotOutput.get();
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(self, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP, nullptr,
                        nullptr, &startup, &info)) {
    error = "cannot start a slot's station: " + SystemErrorText(::GetLastError());
    return nullptr;
  }
  return std::make_unique<WinSlotProcess>(info, std::move(output));
}

}  // namespace quillon::console
