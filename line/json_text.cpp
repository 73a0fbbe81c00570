#include "line/json_text.h"

#include <cmath>
#include <nlohmann/json.hpp>

namespace quillon {

class JsonObject::Fields {
 public:
  nlohmann::ordered_json json = nlohmann::ordered_json::object();
};

JsonObject::JsonObject() : m_fields(std::make_unique<Fields>()) {}
JsonObject::~JsonObject() = default;
JsonObject::JsonObject(const JsonObject& other) : m_fields(std::make_unique<Fields>(*other.m_fields)) {}
JsonObject& JsonObject::operator=(const JsonObject& other) {
  if (this != &other) *m_fields = *other.m_fields;
  return *this;
}
JsonObject::JsonObject(JsonObject&& other) noexcept : m_fields(std::make_unique<Fields>()) {
  m_fields.swap(other.m_fields);
}
JsonObject& JsonObject::operator=(JsonObject&& other) noexcept {
  m_fields.swap(other.m_fields);
  return *this;
}

JsonObject& JsonObject::Add(const std::string& name, const std::string& text) {
  m_fields->json[name] = text;
  return *this;
}

JsonObject& JsonObject::Add(const std::string& name, long long number) {
  m_fields->json[name] = number;
  return *this;
}

JsonObject& JsonObject::AddTenths(const std::string& name, double number) {
  // The nearest double to a tenth prints as that tenth: 2.26 as 2.3.
  m_fields->json[name] = std::round(number * 10) / 10;
  return *this;
}

JsonObject& JsonObject::Append(const JsonObject& other) {
  for (const auto& [name, value] : other.m_fields->json.items()) m_fields->json[name] = value;
  return *this;
}

std::string JsonObject::Text() const {
  // A station's words come from its catalogues and the system: a byte that is not UTF-8 is replaced
  // rather than have the record refused.
  return m_fields->json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string JsonObject::Value(const std::string& name) const {
  const auto found = m_fields->json.find(name);
  if (found == m_fields->json.end() || found->is_null()) return {};
  if (found->is_string()) return found->get<std::string>();
  return found->dump();
}

long long JsonObject::Number(const std::string& name) const {
  const auto found = m_fields->json.find(name);
  if (found == m_fields->json.end()) return 0;
  if (found->is_number_integer()) return found->get<long long>();
  if (found->is_number()) return static_cast<long long>(found->get<double>());
  if (found->is_string()) return std::strtoll(found->get_ref<const std::string&>().c_str(), nullptr, 10);
  return 0;
}

bool JsonObject::Has(const std::string& name) const {
  return m_fields->json.contains(name);
}

std::optional<JsonObject> ParseJsonObject(const std::string& line) {
  // Without exceptions: a line that is no JSON comes back discarded.
  nlohmann::ordered_json json = nlohmann::ordered_json::parse(line, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded() || !json.is_object()) return std::nullopt;
  JsonObject object;
  object.m_fields->json = std::move(json);
  return object;
}

}  // namespace quillon
