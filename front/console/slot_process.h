// A gang's slot: quillon-cli itself in a process of its own, so that a slot's fault or hang cannot reach
// another (the station's state is process-wide). Its standard output and error are read back line by
// line.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace quillon::console {

class SlotProcess {
 public:
  // Starts this program with `arguments` (without the program's name); nullptr with the reason in
  // `error`.
  static std::unique_ptr<SlotProcess> Start(const std::vector<std::string>& arguments, std::string& error);
  virtual ~SlotProcess() = default;

  // The next line it wrote, without its line end; false once it has closed its output.
  virtual bool ReadLine(std::string& line) = 0;
  // Asks it to end after the unit in hand, as Ctrl-C at its console would.
  virtual void Interrupt() = 0;
  // Waits for it to end; its exit code (1 when a signal ended it).
  virtual int Wait() = 0;
};

// Takes whole lines out of what a pipe delivers.
class LineSplitter {
 public:
  void Add(const char* bytes, std::size_t count) { m_pending.append(bytes, count); }
  // The next whole line, without "\n" or "\r\n"; with `atEnd`, what is left as the last line.
  bool Take(std::string& line, bool atEnd);

 private:
  std::string m_pending;
};

}  // namespace quillon::console
