// What each program's --help lists is in its manual page and, for quillon-cli, its bash completion, as
// the build made them; and every program answers --version.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cmdline/program_version.h"

namespace quillon {
namespace {

struct ProgramRun {
  int exitCode = -1;
  std::string output;
};

ProgramRun RunProgram(const std::string& program, const std::string& argument) {
  ProgramRun run;
  std::string command = "'";
  command += program + "' " + argument + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 256> buffer{};
  while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) run.output += buffer.data();
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Contents(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The options the help's lines begin with: "  --port PATH   ..." gives --port.
std::vector<std::string> HelpOptions(const std::string& help) {
  std::vector<std::string> options;
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t first = line.find_first_not_of(' ');
    if (first == 0 || first == std::string::npos || line.compare(first, 2, "--") != 0) continue;
    std::size_t end = first;
    while (end < line.size() && line[end] != ' ' && line[end] != '[' && line[end] != ',') ++end;
    options.push_back(line.substr(first, end - first));
  }
  return options;
}

// As a manual page sets an option's name: "\\fB\\-\\-port\\fR".
std::string BoldInRoff(const std::string& option) {
  std::string roff = "\\fB";
  for (const char c : option) {
    if (c == '-') roff += '\\';
    roff += c;
  }
  roff += "\\fR";
  return roff;
}

// The options the completion offers: its program_options array and each command's options="...".
std::set<std::string> CompletedOptions() {
  const std::string script = Contents(QUILLON_BINARY_DIR "/bash-completion/quillon-cli");
  std::string offered;
  const std::string array = "program_options=(";
  if (const std::size_t at = script.find(array); at != std::string::npos) {
    offered += script.substr(at + array.size(), script.find(')', at) - at - array.size());
  }
  const std::string list = "options=\"";
  for (std::size_t at = script.find(list); at != std::string::npos; at = script.find(list, at + 1)) {
    const std::size_t first = at + list.size();
    offered += ' ';
    offered += script.substr(first, script.find('"', first) - first);
  }
  std::istringstream words(offered);
  std::set<std::string> options;
  for (std::string word; words >> word;) options.insert(word);
  return options;
}

struct Program {
  std::string name;
  std::string path;
};

std::vector<Program> Programs() {
  std::vector<Program> programs = {{"quillon-cli", QUILLON_CLI_PATH},
                                   {"quillon-devsim", QUILLON_DEVSIM_PATH}};
#ifdef QUILLON_WINDOW_PATH
  programs.push_back({"quillon", QUILLON_WINDOW_PATH});
#endif
  return programs;
}

TEST(OptionPagesTest, EveryOptionTheHelpListsIsInTheManualPage) {
  for (const Program& program : Programs()) {
    const ProgramRun help = RunProgram(program.path, "--help");
    ASSERT_EQ(help.exitCode, 0) << program.name;
    const std::vector<std::string> options = HelpOptions(help.output);
    EXPECT_NE(std::find(options.begin(), options.end(), "--version"), options.end()) << program.name;
    const std::string page = Contents(QUILLON_BINARY_DIR "/man/" + program.name + ".1");
    ASSERT_FALSE(page.empty()) << program.name;
    for (const std::string& option : options) {
      EXPECT_NE(page.find(BoldInRoff(option)), std::string::npos) << program.name << " " << option;
    }
  }
}

TEST(OptionPagesTest, EveryOptionQuillonCliHelpListsIsCompleted) {
  const ProgramRun help = RunProgram(QUILLON_CLI_PATH, "--help");
  ASSERT_EQ(help.exitCode, 0);
  const std::set<std::string> completed = CompletedOptions();
  const std::vector<std::string> options = HelpOptions(help.output);
  ASSERT_FALSE(options.empty());
  for (const std::string& option : options) EXPECT_TRUE(completed.contains(option)) << option;
}

TEST(OptionPagesTest, EveryProgramNamesItsVersion) {
  for (const Program& program : Programs()) {
    const ProgramRun version = RunProgram(program.path, "--version");
    EXPECT_EQ(version.exitCode, 0) << program.name;
    std::string named = program.name;
    named += ' ';
    named += std::string(ProgramVersion()) + " (commit ";
    EXPECT_EQ(version.output.rfind(named, 0), 0u) << version.output;
    EXPECT_EQ(version.output, VersionLine(program.name) + "\n");
  }
}

}  // namespace
}  // namespace quillon
