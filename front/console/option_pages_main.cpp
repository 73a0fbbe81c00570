// quillon-option-pages: makes the manual pages and quillon-cli's bash completion from their templates
// and the programs' own help items (cmdline/help_items.h), at build time, so that what --help lists is
// what the page and the completion list.
//   quillon-option-pages man PROGRAM TEMPLATE OUTPUT
//   quillon-option-pages completion TEMPLATE OUTPUT
// A line of the template that is @NAME@ becomes NAME's lines; @VERSION@ becomes the version anywhere.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cmdline/help_items.h"
#include "cmdline/program_version.h"
#include "front/common/exit_codes.h"
#include "front/common/package_buttons.h"
#include "front/common/window_options.h"
#include "front/console/cli_options.h"
#include "sim/devsim_options.h"

namespace {

using namespace quillon;

using Parts = std::map<std::string, std::string>;

std::optional<ProgramHelp> HelpOf(const std::string& program) {
  if (program == "quillon-cli") return console::CliHelp();
  if (program == "quillon") return WindowHelp();
  if (program == "quillon-devsim") return sim::DevsimHelp();
  return std::nullopt;
}

// The exit codes' table as the manual page's items: "Done: written, ...".
std::string ManExitStatus() {
  std::string lines;
  for (const ExitCodeMeaning& exit : kExitCodes) {
    std::string meaning;
    for (const char c : std::string(exit.meaning))
      meaning += c == '-' ? std::string("\\-") : std::string(1, c);
    meaning[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(meaning[0])));
    lines += ".TP\n.B " + std::to_string(exit.code) + "\n" + meaning + ".\n";
  }
  return lines;
}

Parts ManParts(const ProgramHelp& help) {
  return {{"SYNOPSIS", ManSynopsis(help.program, help.usage)},
          {"COMMANDS", ManItems(help.items, HelpItem::Kind::kCommand)},
          {"OPTIONS", ManItems(help.items, HelpItem::Kind::kOption)},
          {"EXIT_STATUS", ManExitStatus()}};
}

// One word a line, as the items of a bash array.
std::string ArrayLines(const std::vector<std::string>& words) {
  std::string lines;
  for (const std::string& word : words) lines += "    " + word + "\n";
  return lines;
}

Parts CompletionParts() {
  const ProgramHelp help = console::CliHelp();
  std::vector<std::string> packages;
  for (const PackageButton& package : Packages()) packages.emplace_back(package.name);
  std::vector<std::string> commands;
  std::string commandOptions;
  for (const HelpItem& item : help.items) {
    if (item.kind != HelpItem::Kind::kCommand) continue;
    commands.emplace_back(item.names);
    std::string options;
    for (const std::string& option : CompletedOptions(help.items, item.names)) {
      options += (options.empty() ? "" : " ") + option;
    }
    commandOptions += "    " + std::string(item.names) + ") options=\"" + options + "\" ;;\n";
  }
  return {{"PACKAGES", ArrayLines(packages)},
          {"COMMANDS", ArrayLines(commands)},
          {"PROGRAM_OPTIONS", ArrayLines(CompletedOptions(help.items, ""))},
          {"VALUE_OPTIONS", ArrayLines(OptionsWithValues(help.items))},
          {"COMMAND_OPTIONS", commandOptions}};
}

// The template with its placeholders filled in; refused for a placeholder that has no part.
Result<std::string> Fill(std::istream& in, const Parts& parts) {
  const std::string version = "@VERSION@";
  std::string out;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.size() > 2 && line.front() == '@' && line.back() == '@') {
      const auto part = parts.find(line.substr(1, line.size() - 2));
      if (part == parts.end()) {
        return Problem{ProblemKind::kInputRefused,
                       "line " + std::to_string(number) + ": nothing to put in for " + line};
      }
      out += part->second;
      continue;
    }
    for (std::size_t at = line.find(version); at != std::string::npos; at = line.find(version, at)) {
      line.replace(at, version.size(), ProgramVersion());
    }
    out += line + "\n";
  }
  return out;
}

int Usage() {
  std::fputs(
      "Usage: quillon-option-pages man PROGRAM TEMPLATE OUTPUT\n"
      "       quillon-option-pages completion TEMPLATE OUTPUT\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  Parts parts;
  std::size_t templateAt = 0;
  if (arguments.size() == 4 && arguments[0] == "man") {
    const std::optional<ProgramHelp> help = HelpOf(arguments[1]);
    if (!help) {
      std::fprintf(stderr, "quillon-option-pages: no program %s\n", arguments[1].c_str());
      return 2;
    }
    parts = ManParts(*help);
    templateAt = 2;
  } else if (arguments.size() == 3 && arguments[0] == "completion") {
    parts = CompletionParts();
    templateAt = 1;
  } else {
    return Usage();
  }
  const std::string& templatePath = arguments[templateAt];
  const std::string& outputPath = arguments[templateAt + 1];
  std::ifstream in(templatePath);
  if (!in) {
    std::fprintf(stderr, "quillon-option-pages: cannot read %s\n", templatePath.c_str());
    return 1;
  }
  const Result<std::string> text = Fill(in, parts);
  if (!text) {
    std::fprintf(stderr, "quillon-option-pages: %s: %s\n", templatePath.c_str(),
                 text.Failure().words.c_str());
    return 1;
  }
  std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
  out << *text;
  out.close();
  if (!out) {
    std::fprintf(stderr, "quillon-option-pages: cannot write %s\n", outputPath.c_str());
    return 1;
  }
  return 0;
}
