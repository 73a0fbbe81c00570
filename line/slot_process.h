// A gang's slot: quillon-cli itself in a process of its own, so that a slot's fault or hang cannot reach
// another (the station's state is process-wide). Its standard output and error are read back line by
// line; its standard input is a control pipe that only the supervisor holds (supervisor_link.h), so the
// slot notices when the supervisor goes, however it goes. It takes no signal from the terminal or the
// console: the supervisor passes on what it is asked.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "texts/problem.h"

namespace quillon {

// How a slot's process ended.
struct SlotEnding {
  int exitCode = 1;   // 1 when a signal or a fault ended it
  std::string fault;  // what ended it other than its own exit: "signal 11", "status 0xC0000005"; empty
};

class SlotProcess {
 public:
  // Starts `program` (empty: this program) with `arguments` (without the program's name).
  static Result<std::unique_ptr<SlotProcess>> Start(const std::string& program,
                                                    const std::vector<std::string>& arguments);
  virtual ~SlotProcess() = default;

  // The next line it wrote, without its line end; false once it has closed its output.
  virtual bool ReadLine(std::string& line) = 0;
  // Sends it a control byte (supervisor_link.h); false when it has gone.
  virtual bool Send(char control) = 0;
  // Ends it at once: a slot that did not stop when told to.
  virtual void Kill() = 0;
  // Waits for it to end.
  virtual SlotEnding Wait() = 0;
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

}  // namespace quillon
