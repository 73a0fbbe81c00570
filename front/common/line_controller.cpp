#include "front/common/line_controller.h"

#include "front/common/package_buttons.h"
#include "front/common/slot_program.h"
#include "line/sha256.h"
#include "station/jobs/expected_pages.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

LinePackage Summary(const std::string& name, const PackagePages& package) {
  Sha256 digest;
  for (const FontPage& page : package.pages) digest.Add(page.bytes);
  return {name, static_cast<int>(package.pages.size()), digest.HexDigest()};
}

}  // namespace

std::vector<std::string> LineSlotArguments(const LineProfile& profile, int slot, const std::string& port) {
  // Each slot goes on unit after unit by itself; the window plays the sounds, once a unit.
  return {"write",
          profile.package,
          "--port",
          port,
          "--json",
          "--repeat",
          "--quiet",
          "--lang",
          CurrentLanguage() == Language::kEnglish ? "en" : "zh",
          "--gang-slot",
          std::to_string(slot),
          "--log",
          profile.log};
}

Result<std::unique_ptr<LineController>> LineController::Open(const LineProfile& profile,
                                                             const LineOptions& options, LineView& view) {
  const int button = PackageButtonId(profile.package);
  if (button == 0) {
    return Problem{ProblemKind::kUsage,
                   Tr("The line's package \"{1}\" is no package the station knows.", {profile.package})};
  }
  if (profile.slots.empty()) return Problem{ProblemKind::kUsage, Tr("The line has no slot: give it a port.")};
  const std::string program = options.slotProgram.empty() ? SlotProgram() : options.slotProgram;
  if (program.empty()) {
    return Problem{ProblemKind::kUsage,
                   Tr("quillon-cli, which runs the line's slots, is not beside this program.")};
  }
  std::unique_ptr<LineController> line(new LineController);
  line->m_profile = profile;
  line->m_view = &view;
  // Read once: every unit writes exactly these pages, and the header shows their digest.
  Result<PackagePages> package = ExpectedPackagePages(button);
  if (!package) return Problem{package.Failure().kind, Tr(package.Failure().words.c_str())};
  line->m_package = std::make_shared<const PackagePages>(std::move(*package));
  Result<std::unique_ptr<UnitLog>> log = UnitLog::Open(profile.log);
  if (!log) return log.Failure();
  line->m_log = std::move(*log);
  line->m_model =
      std::make_unique<LineModel>(profile, Summary(profile.package, *line->m_package),
                                  CountShift(profile.log), line->m_log.get(), view, options.events);
  GangSettings settings{
      .packageName = profile.package,
      .stationName = profile.station,
      .program = program,
      .slotArguments = [profile](int slot,
                                 const std::string& port) { return LineSlotArguments(profile, slot, port); },
      .package = line->m_package,
      .log = line->m_log.get(),
  };
  for (const LineSlot& slot : profile.slots) settings.ports.push_back(slot.port);
  line->m_supervisor = std::make_unique<GangSupervisor>(std::move(settings), *line->m_model);
  LineController* running = line.get();
  line->m_thread = std::thread([running] {
    running->m_supervisor->Run(running->m_stop);
    running->m_ended.store(true);
    running->m_view->LineChanged();
  });
  return line;
}

LineController::~LineController() {
  if (!m_thread.joinable()) return;
  if (!m_ended.load()) m_stop.RaiseTo(StopLevel::kAfterUnit);
  m_thread.join();
}

void LineController::RequestEnd() {
  m_stop.Raise();
}

bool LineController::Ended() const {
  return m_ended.load();
}

void LineController::WaitForEnd() {
  if (m_thread.joinable()) m_thread.join();
}

}  // namespace quillon
