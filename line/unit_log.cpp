#include "line/unit_log.h"

#include <cstdlib>
#include <ctime>
#include <utility>

namespace quillon {

JsonObject UnitObject(const UnitRecord& unit) {
  JsonObject object;
  if (unit.slot != 0) object.Add("slot", unit.slot);
  object.Add("time", unit.time)
      .Add("link", unit.link)
      .Add("package", unit.package)
      .Add("pages", unit.pages)
      .Add("result", unit.result)
      .Add("message", unit.message)
      .AddTenths("seconds", unit.seconds)
      .Add("sha256", unit.sha256);
  for (const auto& [name, value] :
       {std::pair{"fault", &unit.fault}, std::pair{"at", &unit.at}, std::pair{"station", &unit.station},
        std::pair{"barcode", &unit.barcode}}) {
    if (!value->empty()) object.Add(name, *value);
  }
  return object;
}

UnitRecord UnitOfObject(const JsonObject& object) {
  UnitRecord unit;
  unit.slot = static_cast<int>(object.Number("slot"));
  unit.time = object.Value("time");
  unit.link = object.Value("link");
  unit.package = object.Value("package");
  unit.pages = static_cast<int>(object.Number("pages"));
  unit.result = object.Value("result");
  unit.message = object.Value("message");
  unit.seconds = std::atof(object.Value("seconds").c_str());
  unit.sha256 = object.Value("sha256");
  unit.fault = object.Value("fault");
  unit.at = object.Value("at");
  unit.station = object.Value("station");
  unit.barcode = object.Value("barcode");
  return unit;
}

std::string JsonLine(const UnitRecord& unit) {
  return UnitObject(unit).Text() + "\n";
}

Result<std::unique_ptr<UnitLog>> UnitLog::Open(const std::string& path) {
  Result<LogFile> file = LogFile::Open(path);
  if (!file) return file.Failure();
  return std::unique_ptr<UnitLog>(new UnitLog(std::move(*file)));
}

Result<void> UnitLog::Append(const UnitRecord& unit, bool unlessPresent) {
  return m_file.Append(UnitObject(unit).Text(), unlessPresent);
}

Result<void> UnitLog::AppendObject(const JsonObject& object) {
  return m_file.Append(object.Text());
}

std::string UtcTimeNow() {
  return UtcTimeText(std::chrono::system_clock::now());
}

std::string UtcTimeText(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &seconds);
#else
  gmtime_r(&seconds, &utc);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

}  // namespace quillon
