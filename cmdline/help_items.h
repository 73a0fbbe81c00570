// A program's options and commands as its --help shows them: the one list that the help's lines, the
// manual page's SYNOPSIS, COMMANDS and OPTIONS, and the bash completion's option lists are all made
// from (the manual pages and the completion at build time, by quillon-option-pages). Each program
// declares its CLI11 options by the same items' names.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

struct HelpItem {
  enum class Kind {
    kOption,   // an option: names are CLI11's ("-h,--help"); the help shows the long ones
    kCommand,  // a command of the program (write, read, ...)
    kNote,     // a help line that is neither, such as "several --port"
  };
  Kind kind = Kind::kOption;
  std::string_view names;
  // What follows the names: "PATH", "ADDRESS LENGTH"; "[=usb]" for a flag that may take a value; empty
  // for a flag.
  std::string_view value;
  // The help's words, '\n' where the help breaks the line; the manual page makes a sentence of them.
  std::string_view text;
  // The commands the option goes with, by name and space-separated; empty: the program's own, given
  // without a command. Shown under its command when there is exactly one.
  std::string_view commands;
  // What the manual page says beyond the help, in roff, after the help's words.
  std::string_view manual;
};

// A program's synopsis lines (after its name) and its items, in the help's order.
struct ProgramHelp {
  std::string_view program;
  std::vector<std::string_view> usage;
  std::vector<HelpItem> items;
};

// --lang, which every program takes (PrepareApp declares it).
inline constexpr HelpItem kLanguageItem{
    .names = "--lang",
    .value = "zh|en",
    .text =
        "the language of the station's texts (default: the system's, Chinese\n"
        "unless it is English)",
};

// The names the help shows: the long ones ("--help" of "-h,--help"), or all when there is none.
std::vector<std::string> ShownNames(const HelpItem& item);
// Whether the item goes with the command; "" asks for the program's own options.
bool GoesWith(const HelpItem& item, std::string_view command);

// The help's lines for the items: each name at two spaces in (four under its command), its words from
// `column` on.
std::string HelpLines(std::span<const HelpItem> items, std::size_t column);
// "Usage: PROGRAM LINE" and "       PROGRAM LINE" for the others; a '\n' in a line continues it below.
std::string UsageLines(std::string_view program, std::span<const std::string_view> lines);

// The manual page's parts, in roff: the SYNOPSIS lines, and a tagged paragraph for each item of the kind
// (kOption takes the notes too).
std::string ManSynopsis(std::string_view program, std::span<const std::string_view> lines);
std::string ManItems(std::span<const HelpItem> items, HelpItem::Kind kind);

// What bash completes after the command ("" for none): the options' names, "--simulator=usb" for a
// flag's value. And every option that takes the next word as its value, for the completion to skip.
std::vector<std::string> CompletedOptions(std::span<const HelpItem> items, std::string_view command);
std::vector<std::string> OptionsWithValues(std::span<const HelpItem> items);

}  // namespace quillon
