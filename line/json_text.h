// The JSON the console writes and reads back: flat objects of strings and numbers, one a line (the unit
// log, --json's events, and the events a gang's slot processes send their supervisor).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillon {

// The text as a JSON string, quotes included; UTF-8 passes as it is.
std::string JsonString(const std::string& text);

// Fields in the order added; values are kept as JSON text.
class JsonObject {
 public:
  JsonObject& Add(const std::string& name, const std::string& text);
  JsonObject& Add(const std::string& name, const char* text) { return Add(name, std::string(text)); }
  JsonObject& Add(const std::string& name, long long number);
  JsonObject& Add(const std::string& name, int number) { return Add(name, static_cast<long long>(number)); }
  // A number with one decimal: seconds.
  JsonObject& AddTenths(const std::string& name, double number);
  // The field's value as JSON text, in place when the field is there, else at the end.
  JsonObject& SetRaw(const std::string& name, const std::string& json);

  // Every field of `other`, as SetRaw sets them.
  JsonObject& Append(const JsonObject& other);

  // The object on one line, without a line end.
  std::string Text() const;

  // A field's value: a string's text, a number's digits; empty when absent.
  std::string Value(const std::string& name) const;
  long long Number(const std::string& name) const;
  bool Has(const std::string& name) const;

 private:
  std::vector<std::pair<std::string, std::string>> m_fields;  // name, value as JSON text
};

// A flat object read from its line; nothing when the line is no such object.
std::optional<JsonObject> ParseJsonObject(const std::string& line);

}  // namespace quillon
