// A log that lines are only ever appended to, whole, by one process or by several at once (a gang's
// slots append their own records when their supervisor has gone). Each line goes out in one write, under
// a lock on the file, after a line end when the file does not end with one (a record cut short by a
// full disk), and is on the disk before Append returns. Only a regular file can be such a log: a stream
// has --json.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "texts/problem.h"

namespace quillon {

class LogFile {
 public:
  // Opens the file for appending, creating it. Problems: kOutputFailed, in words that name the file.
  static Result<LogFile> Open(const std::string& utf8Path);
  ~LogFile();
  LogFile(LogFile&&) noexcept;
  LogFile& operator=(LogFile&&) = delete;
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // `line` (without its line end) at the end of the file. With `unlessPresent`, nothing is written when
  // the file's last lines already hold it: whoever appended it first has done it.
  Result<void> Append(const std::string& line, bool unlessPresent = false);

  const std::string& Path() const;

 private:
  class Platform;  // the file's handle, per platform
  explicit LogFile(std::unique_ptr<Platform> platform);

  std::unique_ptr<Platform> m_platform;
};

// How far back Append looks for a line already there: more than a gang's last records.
inline constexpr std::size_t kLogTailSearched = 64 * 1024;

// Whether the file's last bytes hold `line` whole; `wholeFile` when they are all the file has.
bool TailHoldsLine(std::string_view tail, bool wholeFile, const std::string& line);

}  // namespace quillon
