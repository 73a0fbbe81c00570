// The programs' exit codes, for scripts: the one table that quillon-cli's --help, its manual page and
// docs/console.md take them from, and the one place where a problem's kind becomes a code.
#pragma once

#include <string>

#include "texts/problem.h"

namespace quillon {

enum ExitCode : int {
  kExitWriteComplete = 0,
  kExitJobFailed = 1,
  kExitUsage = 2,
  kExitInputRefused = 3,
  kExitNoDevice = 4,
  kExitInterrupted = 5,
};

struct ExitCodeMeaning {
  ExitCode code;
  const char* meaning;
};

inline constexpr ExitCodeMeaning kExitCodes[] = {
    {kExitWriteComplete, "done: written, every page matches, or read (doctor: no check failed)"},
    {kExitJobFailed,
     "the job failed: a page differs or the link failed (with --repeat or a gang: a unit failed; doctor: a "
     "check failed)"},
    {kExitUsage, "usage: the command line asks for what cannot be"},
    {kExitInputRefused,
     "an input file missing or refused (cut short, writing no page, a named pipe, device or directory), "
     "or an output file or the log that cannot be written"},
    {kExitNoDevice, "no device within the wait"},
    {kExitInterrupted, "stopped now (a second Ctrl-C): the unit in hand is recorded as interrupted"},
};

// The code of a problem of this kind; of an outcome, 0 when it succeeded.
ExitCode ExitCodeOf(ProblemKind kind);
ExitCode ExitCodeOf(const Result<void>& outcome);

// The kind a program's exit code tells of (a gang's slot's, say): the inverse of ExitCodeOf, kJobFailed
// for a code of no kind.
ProblemKind KindOfExitCode(int code);

// "Exit codes: 0 done: …, 1 …" for --help, one code a line.
std::string ExitCodesText();

}  // namespace quillon
