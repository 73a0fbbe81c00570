// The one command-line parser of the station's programs (quillon, quillon-cli, quillon-devsim), on
// CLI11: each program declares its options and commands on a CLI::App, and Parse gives back a value,
// never an exception, with the same words in every program. CLI11 checks the shape (which options
// exist, that a value follows); the programs check the values, in their own words.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "texts/problem.h"

namespace quillon {

// Call first, before declaring options: CLI11's own help goes (each program prints its own), unknown
// arguments are kept so that Parse can name the first, and a program's --lang zh|en sets the language
// of its texts (the program sets the system's first).
void PrepareApp(CLI::App& app);
// A command of the app (write, read, ...), prepared the same way; the program's options may follow its
// name.
CLI::App* AddCommand(CLI::App& app, const std::string& name);

// Nothing when the arguments fit the app; else a usage problem that says why not, e.g. "unknown option
// --fast", "--wait needs a value". arguments come without the program's name.
Result<void> Parse(CLI::App& app, const std::vector<std::string>& arguments);
// The first argument the app or its command did not take; empty when every one was taken.
std::string UnknownArgument(const CLI::App& app);

}  // namespace quillon
