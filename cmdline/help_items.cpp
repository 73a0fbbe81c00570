#include "cmdline/help_items.h"

#include <algorithm>
#include <cctype>

namespace quillon {
namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  while (!text.empty()) {
    const std::size_t end = text.find(separator);
    if (end != 0) parts.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return parts;
}

std::string Joined(const std::vector<std::string>& parts, std::string_view between) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : std::string(between)) + part;
  return text;
}

// Under its command when it goes with exactly one.
bool Nested(const HelpItem& item) {
  return item.kind != HelpItem::Kind::kCommand && Split(item.commands, ' ').size() == 1;
}

// "--port PATH", "--simulator[=usb]", "--line [PACKAGE]", "write PACKAGE": the names with the value, as
// the help shows them.
std::string Term(const HelpItem& item, const std::vector<std::string>& names) {
  std::string term = Joined(names, ", ");
  if (!item.value.empty()) {
    if (!item.value.starts_with("[=")) term += ' ';
    term += item.value;
  }
  return term;
}

// roff's own characters out of the way: a backslash, and the hyphen that is a minus in option names.
std::string Escaped(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '\\') {
      escaped += "\\e";
    } else if (c == '-') {
      escaped += "\\-";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

// The text in a font ("\\fB" bold, "\\fI" italics), back to roman after it. Appended piece by piece:
// GCC 12 takes a literal put in front of a string for an overlapping copy.
void AppendInFont(std::string& roff, std::string_view font, std::string_view text) {
  roff += font;
  roff += Escaped(text);
  roff += "\\fR";
}

bool WordCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '=' || c == '_';
}

// Names in bold and what stands for a value (PATH, FILE) in italics, the rest ([, |, ...) in roman, as
// manual pages set a synopsis. Words that are neither options nor values are bold when `boldWords`.
std::string RoffWords(std::string_view text, bool boldWords) {
  std::string roff;
  std::size_t i = 0;
  while (i < text.size()) {
    if (!WordCharacter(text[i])) {
      roff += text[i++];
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && WordCharacter(text[end])) ++end;
    const std::string_view word = text.substr(i, end - i);
    bool letters = false;
    bool capitals = true;
    for (const char c : word) {
      if (std::isalpha(static_cast<unsigned char>(c)) != 0) {
        letters = true;
        capitals = capitals && std::isupper(static_cast<unsigned char>(c)) != 0;
      } else if (!std::isdigit(static_cast<unsigned char>(c))) {
        capitals = false;
      }
    }
    if (letters && capitals) {
      AppendInFont(roff, "\\fI", word);
    } else if (boldWords || word.front() == '-') {
      AppendInFont(roff, "\\fB", word);
    } else {
      roff += Escaped(word);
    }
    i = end;
  }
  return roff;
}

// The help's words as one sentence of the manual page, the options named in it in bold.
std::string Sentence(const HelpItem& item) {
  std::string text(item.text);
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  if (text.empty()) return {};
  const std::vector<std::string_view> commands = Split(item.commands, ' ');
  std::string roff;
  if (Nested(item)) {
    roff = "With ";
    AppendInFont(roff, "\\fB", commands.front());
    roff += ": ";
  } else {
    text.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
  }
  if (text.back() != '.') text += '.';
  for (std::size_t i = 0; i < text.size();) {
    const bool option = text.compare(i, 2, "--") == 0 && (i == 0 || text[i - 1] == ' ' || text[i - 1] == '(');
    if (!option) {
      // A hyphen within words (Ctrl-C, Intel-HEX) stays one; only options' are minus signs.
      roff += text[i] == '\\' ? std::string("\\e") : std::string(1, text[i]);
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && WordCharacter(text[end])) ++end;
    AppendInFont(roff, "\\fB", std::string_view(text).substr(i, end - i));
    i = end;
  }
  return roff;
}

}  // namespace

std::vector<std::string> ShownNames(const HelpItem& item) {
  const std::vector<std::string_view> names = Split(item.names, ',');
  std::vector<std::string> shown;
  for (const std::string_view name : names) {
    if (name.starts_with("--")) shown.emplace_back(name);
  }
  if (shown.empty()) shown.assign(names.begin(), names.end());
  return shown;
}

bool GoesWith(const HelpItem& item, std::string_view command) {
  if (command.empty()) return item.commands.empty();
  for (const std::string_view name : Split(item.commands, ' ')) {
    if (name == command) return true;
  }
  return false;
}

std::string HelpLines(std::span<const HelpItem> items, std::size_t column) {
  std::string help;
  for (const HelpItem& item : items) {
    std::string line(Nested(item) ? 4 : 2, ' ');
    line += item.kind == HelpItem::Kind::kOption ? Term(item, ShownNames(item))
                                                 : Term(item, {std::string(item.names)});
    line.resize(std::max(column, line.size() + 2), ' ');
    const std::vector<std::string_view> lines = Split(item.text, '\n');
    for (std::size_t i = 0; i < lines.size(); ++i) {
      help += (i == 0 ? line : std::string(column, ' ')) + std::string(lines[i]) + "\n";
    }
  }
  return help;
}

std::string UsageLines(std::string_view program, std::span<const std::string_view> lines) {
  std::string usage;
  std::string continued(std::string_view("Usage: ").size() + program.size() + 2, ' ');
  continued.front() = '\n';
  for (const std::string_view line : lines) {
    usage += (usage.empty() ? "Usage: " : "       ") + std::string(program) + " ";
    for (const char c : line) usage += c == '\n' ? continued : std::string(1, c);
    usage += "\n";
  }
  return usage;
}

std::string ManSynopsis(std::string_view program, std::span<const std::string_view> lines) {
  std::string roff;
  for (const std::string_view line : lines) {
    std::string text = std::string(program) + " " + std::string(line);
    for (char& c : text) {
      if (c == '\n') c = ' ';
    }
    roff += (roff.empty() ? "" : ".br\n") + RoffWords(text, true) + "\n";
  }
  return roff;
}

std::string ManItems(std::span<const HelpItem> items, HelpItem::Kind kind) {
  std::string roff;
  for (const HelpItem& item : items) {
    const bool wanted =
        item.kind == kind || (kind == HelpItem::Kind::kOption && item.kind == HelpItem::Kind::kNote);
    if (!wanted) continue;
    std::vector<std::string> names;
    if (item.kind == HelpItem::Kind::kOption) {
      // The long names first, as the help shows them, then the short ones: "--help, -h".
      names = ShownNames(item);
      if (names.front().starts_with("--")) {
        for (const std::string_view name : Split(item.names, ',')) {
          if (!name.starts_with("--")) names.emplace_back(name);
        }
      }
    } else {
      names = {std::string(item.names)};
    }
    roff += ".TP\n" + RoffWords(Term(item, names), item.kind != HelpItem::Kind::kNote) + "\n";
    roff += Sentence(item) + "\n";
    if (!item.manual.empty()) roff += std::string(item.manual) + (item.manual.back() == '\n' ? "" : "\n");
  }
  return roff;
}

std::vector<std::string> CompletedOptions(std::span<const HelpItem> items, std::string_view command) {
  std::vector<std::string> options;
  for (const HelpItem& item : items) {
    if (item.kind != HelpItem::Kind::kOption || !GoesWith(item, command)) continue;
    for (const std::string& name : ShownNames(item)) {
      options.push_back(name);
      if (item.value.starts_with("[=") && item.value.ends_with("]")) {
        options.push_back(name + std::string(item.value.substr(1, item.value.size() - 2)));
      }
    }
  }
  return options;
}

std::vector<std::string> OptionsWithValues(std::span<const HelpItem> items) {
  std::vector<std::string> options;
  for (const HelpItem& item : items) {
    if (item.kind != HelpItem::Kind::kOption || item.value.empty() || item.value.front() == '[') continue;
    for (const std::string& name : ShownNames(item)) {
      bool known = false;
      for (const std::string& taken : options) known = known || taken == name;
      if (!known) options.push_back(name);
    }
  }
  return options;
}

}  // namespace quillon
