#include "line/json_text.h"

#include <cstdio>
#include <cstdlib>

namespace quillon {
namespace {

void SkipSpace(const std::string& line, std::size_t& at) {
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
}

// A JSON string starting at `at` (its opening quote); `at` ends past its closing quote.
std::optional<std::string> ReadString(const std::string& line, std::size_t& at) {
  if (at >= line.size() || line[at] != '"') return std::nullopt;
  const std::size_t start = at++;
  while (at < line.size() && line[at] != '"') at += line[at] == '\\' ? 2 : 1;
  if (at >= line.size()) return std::nullopt;
  ++at;
  return line.substr(start, at - start);
}

// A number, true, false or null: the text up to the next comma or brace.
std::optional<std::string> ReadBareValue(const std::string& line, std::size_t& at) {
  const std::size_t start = at;
  while (at < line.size() && line[at] != ',' && line[at] != '}' && line[at] != ' ') ++at;
  if (at == start) return std::nullopt;
  return line.substr(start, at - start);
}

std::string Unquoted(const std::string& json) {
  if (json.size() < 2 || json.front() != '"') return json;
  std::string text;
  for (std::size_t i = 1; i + 1 < json.size(); ++i) {
    if (json[i] != '\\' || i + 2 >= json.size()) {
      text += json[i];
      continue;
    }
    const char escaped = json[++i];
    switch (escaped) {
      case 'n':
        text += '\n';
        break;
      case 't':
        text += '\t';
        break;
      case 'r':
        text += '\r';
        break;
      case 'u':
        // The console writes \u only for control characters.
        if (i + 4 < json.size()) {
          text += static_cast<char>(std::strtol(json.substr(i + 1, 4).c_str(), nullptr, 16));
          i += 4;
        }
        break;
      default:
        text += escaped;
    }
  }
  return text;
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          quoted += escaped;
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

JsonObject& JsonObject::Add(const std::string& name, const std::string& text) {
  m_fields.emplace_back(name, JsonString(text));
  return *this;
}

JsonObject& JsonObject::Add(const std::string& name, long long number) {
  m_fields.emplace_back(name, std::to_string(number));
  return *this;
}

JsonObject& JsonObject::AddTenths(const std::string& name, double number) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", number);
  m_fields.emplace_back(name, text);
  return *this;
}

JsonObject& JsonObject::SetRaw(const std::string& name, const std::string& json) {
  for (auto& [fieldName, value] : m_fields) {
    if (fieldName == name) {
      value = json;
      return *this;
    }
  }
  m_fields.emplace_back(name, json);
  return *this;
}

JsonObject& JsonObject::Append(const JsonObject& other) {
  for (const auto& [name, value] : other.m_fields) SetRaw(name, value);
  return *this;
}

std::string JsonObject::Text() const {
  std::string text = "{";
  for (const auto& [name, value] : m_fields) {
    if (text.size() > 1) text += ',';
    text += JsonString(name) + ":" + value;
  }
  return text + "}";
}

std::string JsonObject::Value(const std::string& name) const {
  for (const auto& [fieldName, value] : m_fields) {
    if (fieldName == name) return Unquoted(value);
  }
  return {};
}

long long JsonObject::Number(const std::string& name) const {
  return std::atoll(Value(name).c_str());
}

bool JsonObject::Has(const std::string& name) const {
  for (const auto& field : m_fields) {
    if (field.first == name) return true;
  }
  return false;
}

std::optional<JsonObject> ParseJsonObject(const std::string& line) {
  JsonObject object;
  std::size_t at = 0;
  SkipSpace(line, at);
  if (at >= line.size() || line[at++] != '{') return std::nullopt;
  for (;;) {
    SkipSpace(line, at);
    if (at < line.size() && line[at] == '}') return object;
    const std::optional<std::string> name = ReadString(line, at);
    SkipSpace(line, at);
    if (!name || at >= line.size() || line[at++] != ':') return std::nullopt;
    SkipSpace(line, at);
    const std::optional<std::string> value =
        at < line.size() && line[at] == '"' ? ReadString(line, at) : ReadBareValue(line, at);
    if (!value) return std::nullopt;
    object.SetRaw(Unquoted(*name), *value);
    SkipSpace(line, at);
    if (at < line.size() && line[at] == ',') ++at;
  }
}

}  // namespace quillon
