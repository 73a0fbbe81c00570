#include "cmdline/command_line.h"

#include "texts/catalogue.h"

namespace quillon {
namespace {

// The first argument CLI11 did not take, from the app or the command that was given.
std::string FirstUnknown(const CLI::App& app) {
  std::vector<std::string> left = app.remaining();
  for (const CLI::App* command : app.get_subcommands()) {
    const std::vector<std::string> more = command->remaining();
    left.insert(left.end(), more.begin(), more.end());
  }
  return left.empty() ? std::string() : left.front();
}

}  // namespace

void PrepareApp(CLI::App& app) {
  app.set_help_flag();
  app.allow_extras();
  // Every program speaks the operator's language; --lang overrides what the system's says.
  if (app.get_parent() != nullptr) return;
  app.add_option_function<std::string>("--lang",
                                       [](const std::string& name) {
                                         Language language = CurrentLanguage();
                                         if (LanguageNamed(name, language)) SetLanguage(language);
                                       })
      ->check(CLI::Validator(
          [](std::string& name) {
            Language language;
            return LanguageNamed(name, language) ? std::string() : "zh or en, not '" + name + "'";
          },
          "zh|en"));
}

CLI::App* AddCommand(CLI::App& app, const std::string& name) {
  CLI::App* command = app.add_subcommand(name);
  PrepareApp(*command);
  command->fallthrough();
  return command;
}

std::string Parse(CLI::App& app, const std::vector<std::string>& arguments) {
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ArgumentMismatch& mismatch) {
    // "--wait: 1 required TEXT missing": the option is what comes before the colon.
    const std::string what = mismatch.what();
    return what.substr(0, what.find(':')) + " needs a value";
  } catch (const CLI::ParseError& error) {
    return error.what();
  }
  const std::string unknown = FirstUnknown(app);
  if (unknown.empty()) return {};
  return unknown.starts_with("-") ? "unknown option " + unknown : std::string(kUnexpectedArgument) + unknown;
}

}  // namespace quillon
