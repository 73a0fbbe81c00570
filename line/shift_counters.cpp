#include "line/shift_counters.h"

#include <cstdio>

#include "link/files/input_file.h"

namespace quillon {

double ShiftCounters::YieldPercent() const {
  return Total() == 0 ? 0 : 100.0 * passed / Total();
}

double ShiftCounters::UnitsPerHour(std::chrono::system_clock::time_point now) const {
  const std::optional<std::chrono::system_clock::time_point> start = ParseUtcTime(since);
  if (Total() == 0 || !start) return 0;
  // A shift of a few seconds is counted as a minute, so the first units give no absurd rate.
  const double hours = std::max(std::chrono::duration<double>(now - *start).count(), 60.0) / 3600;
  return Total() / hours;
}

void ShiftCounters::Count(const UnitRecord& record) {
  if (since.empty()) since = record.time;
  (record.result == "complete" ? passed : failed) += 1;
}

ShiftCounters CountShift(const std::string& logPath) {
  ShiftCounters counters;
  Result<InputFile> file = OpenInputFile(logPath);
  if (!file) return counters;
  InputFileStream log(std::move(*file));
  for (std::string line; std::getline(log, line);) {
    const std::optional<JsonObject> object = ParseJsonObject(line);
    if (!object) continue;
    if (object->Has("shift")) {
      counters = ShiftCounters{.since = object->Value("time")};
    } else if (object->Has("result")) {
      counters.Count(UnitOfObject(*object));
    }
  }
  return counters;
}

JsonObject NewShiftObject(const std::string& time, const std::string& station) {
  JsonObject object;
  object.Add("shift", "new").Add("time", time);
  if (!station.empty()) object.Add("station", station);
  return object;
}

std::optional<std::chrono::system_clock::time_point> ParseUtcTime(const std::string& text) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char zone = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &year, &month, &day, &hour, &minute, &second,
                  &zone) != 7 ||
      zone != 'Z') {
    return std::nullopt;
  }
  const std::chrono::year_month_day date{std::chrono::year(year),
                                         std::chrono::month(static_cast<unsigned>(month)),
                                         std::chrono::day(static_cast<unsigned>(day))};
  if (!date.ok()) return std::nullopt;
  return std::chrono::sys_days(date) + std::chrono::hours(hour) + std::chrono::minutes(minute) +
         std::chrono::seconds(second);
}

}  // namespace quillon
