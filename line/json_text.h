// The JSON the station writes and reads back, one object a line: the unit log, --json's events, and
// the events a gang's slots send their supervisor. Read and written by nlohmann/json; this small face
// keeps its header (and its exceptions) out of the rest of the station.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace quillon {

// An object whose fields keep the order they were added in.
class JsonObject {
 public:
  JsonObject();
  ~JsonObject();
  JsonObject(const JsonObject& other);
  JsonObject& operator=(const JsonObject& other);
  JsonObject(JsonObject&&) noexcept;
  JsonObject& operator=(JsonObject&&) noexcept;

  // A field, in place when the object has it already, else at the end.
  JsonObject& Add(const std::string& name, const std::string& text);
  JsonObject& Add(const std::string& name, const char* text) { return Add(name, std::string(text)); }
  JsonObject& Add(const std::string& name, long long number);
  JsonObject& Add(const std::string& name, int number) { return Add(name, static_cast<long long>(number)); }
  // A number with one decimal: seconds.
  JsonObject& AddTenths(const std::string& name, double number);
  // Every field of `other`, as Add sets them.
  JsonObject& Append(const JsonObject& other);

  // The object on one line, without a line end; text that is not UTF-8 is replaced, never refused.
  std::string Text() const;

  // A field's value: a string's text, a number's digits; empty when absent.
  std::string Value(const std::string& name) const;
  long long Number(const std::string& name) const;
  bool Has(const std::string& name) const;

 private:
  friend std::optional<JsonObject> ParseJsonObject(const std::string& line);
  class Fields;
  std::unique_ptr<Fields> m_fields;
};

// An object read from its line; nothing when the line is no JSON object.
std::optional<JsonObject> ParseJsonObject(const std::string& line);

}  // namespace quillon
