#include "front/console/unit_log.h"

#include "front/console/console_platform.h"
#include "link/utf8_path.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace quillon::console {

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
  return unit;
}

std::string JsonLine(const UnitRecord& unit) {
  return UnitObject(unit).Text() + "\n";
}

std::unique_ptr<UnitLog> UnitLog::Open(const std::string& path, std::string& error) {
  std::FILE* file = OpenFile(PathFromUtf8(path), "ab");
  if (file == nullptr) {
    error = "cannot open the log " + path + " for appending: " + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<UnitLog>(new UnitLog(file));
}

UnitLog::~UnitLog() {
  std::fclose(m_file);
}

bool UnitLog::Append(const UnitRecord& unit) {
  const std::string line = JsonLine(unit);
  const bool written = std::fwrite(line.data(), 1, line.size(), m_file) == line.size();
  return std::fflush(m_file) == 0 && written;
}

std::string UtcTimeNow() {
  const std::tm utc = UtcTime(std::time(nullptr));
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

}  // namespace quillon::console
