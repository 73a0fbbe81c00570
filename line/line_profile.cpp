#include "line/line_profile.h"

#include <nlohmann/json.hpp>
#include <random>

#include "line/sha256.h"
#include "link/files/input_file.h"
#include "link/files/replaced_file.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

// Enough rounds that a guess costs more than a lookup; a PIN is short.
constexpr int kPinHashRounds = 20000;
// A profile is a few lines: anything much longer is not one.
constexpr std::size_t kLongestProfile = 1 << 20;

std::string HexOf(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const unsigned char byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

std::string PinHash(const std::string& salt, const std::string& pin) {
  std::string hash = salt + pin;
  for (int round = 0; round < kPinHashRounds; ++round) {
    Sha256 digest;
    digest.Add({reinterpret_cast<const std::uint8_t*>(hash.data()), hash.size()});
    hash = digest.HexDigest() + salt;
  }
  return hash.substr(0, 64);
}

std::string StringField(const nlohmann::json& json, const char* name, const std::string& otherwise = {}) {
  const auto found = json.find(name);
  return found != json.end() && found->is_string() ? found->get<std::string>() : otherwise;
}

Problem NotAProfile(const std::string& path, const std::string& why) {
  return {ProblemKind::kInputRefused, Tr("{1} is no line profile: {2}", {path, why})};
}

}  // namespace

bool LineProfile::PinMatches(const std::string& pin) const {
  return PinSet() && PinHash(pinSalt, pin) == pinHash;
}

void LineProfile::SetPin(const std::string& pin) {
  std::random_device source;
  std::string salt(16, '\0');
  for (char& byte : salt) byte = static_cast<char>(source() & 0xFF);
  pinSalt = HexOf(salt);
  pinHash = PinHash(pinSalt, pin);
}

Result<LineProfile> ReadLineProfile(const std::string& path) {
  Result<InputFile> file = OpenInputFile(path);
  if (!file) return file.Failure();
  std::string text(kLongestProfile + 1, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), file->get()));
  if (text.size() > kLongestProfile) return NotAProfile(path, Tr("it is far too long"));
  const nlohmann::json json = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded() || !json.is_object()) return NotAProfile(path, Tr("it is not a JSON object"));
  LineProfile profile;
  profile.package = StringField(json, "package");
  profile.log = StringField(json, "log", profile.log);
  profile.station = StringField(json, "station");
  if (const auto pin = json.find("pin"); pin != json.end() && pin->is_object()) {
    profile.pinSalt = StringField(*pin, "salt");
    profile.pinHash = StringField(*pin, "sha256");
  }
  if (const auto slots = json.find("slots"); slots != json.end() && slots->is_array()) {
    for (const nlohmann::json& slot : *slots) {
      if (!slot.is_object()) return NotAProfile(path, Tr("a slot is not an object"));
      profile.slots.push_back({StringField(slot, "port"), StringField(slot, "label")});
    }
  }
  return profile;
}

Result<void> SaveLineProfile(const std::string& path, const LineProfile& profile) {
  nlohmann::ordered_json json;
  json["package"] = profile.package;
  json["slots"] = nlohmann::ordered_json::array();
  for (const LineSlot& slot : profile.slots)
    json["slots"].push_back({{"port", slot.port}, {"label", slot.label}});
  json["log"] = profile.log;
  json["station"] = profile.station;
  if (profile.PinSet()) json["pin"] = {{"salt", profile.pinSalt}, {"sha256", profile.pinHash}};
  const std::string text =
      json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + kTextLineEnd;
  return ReplaceFileWith(path, text);
}

}  // namespace quillon
