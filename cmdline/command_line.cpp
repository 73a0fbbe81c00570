#include "cmdline/command_line.h"

#include "texts/catalogue.h"

namespace quillon {

std::string UnknownArgument(const CLI::App& app) {
  std::vector<std::string> left = app.remaining();
  for (const CLI::App* command : app.get_subcommands()) {
    const std::vector<std::string> more = command->remaining();
    left.insert(left.end(), more.begin(), more.end());
  }
  return left.empty() ? std::string() : left.front();
}

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

Result<void> Parse(CLI::App& app, const std::vector<std::string>& arguments) {
  const auto usage = [](std::string words) { return Problem{ProblemKind::kUsage, std::move(words)}; };
  // CLI11 takes the arguments last first; its errors are exceptions, and end here as values.
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ArgumentMismatch& mismatch) {
    // "--wait: 1 required TEXT missing": the option is what comes before the colon.
    const std::string what = mismatch.what();
    return usage(what.substr(0, what.find(':')) + " needs a value");
  } catch (const CLI::ParseError& error) {
    return usage(error.what());
  }
  const std::string unknown = UnknownArgument(app);
  if (unknown.empty()) return {};
  return usage(unknown.starts_with("-") ? "unknown option " + unknown : "unexpected argument " + unknown);
}

}  // namespace quillon
