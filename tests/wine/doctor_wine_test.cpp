// quillon-cli.exe doctor under Wine: a COM port (a Wine COM port on the Linux simulator's tty) that
// another Windows program holds fails its check; let go, it opens, and the live round trip runs on it.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/scratch_directory.h"
#include "tests/wine/wine_com_port.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using testing::ChildProcess;
using testing::WineComPort;
using testing::WinePrefix;

constexpr std::chrono::seconds kPatience{60};

struct DoctorRun {
  std::optional<int> exitCode;
  std::string output;
  bool Says(const std::string& text) const { return output.find(text) != std::string::npos; }
};

DoctorRun Doctor(const std::string& port) {
  ChildProcess cli({"wine", QUILLON_WINDOWS_CLI, "doctor", "--port", port, "--wait", "15", "--lang", "en"});
  DoctorRun run;
  run.exitCode = cli.Finish(&run.output, kPatience);
  return run;
}

TEST(WineDoctorTest, ACh340PortAnotherProgramHoldsFailsItsCheckAndOnceLetGoItLinks) {
  ::setenv("WINEDEBUG", "-all", 1);
  ASSERT_TRUE(fs::is_directory(WinePrefix() / "dosdevices")) << "no Wine prefix at " << WinePrefix();
  testing::ScratchWorkingDirectory scratch;
  ChildProcess devsim({QUILLON_DEVSIM_PATH, "--link", "ttyW"});
  ASSERT_FALSE(devsim.Read().empty());
  const WineComPort com(fs::current_path() / "ttyW");
  ASSERT_FALSE(com.Name().empty());

  {
    ChildProcess holder({"wine", QUILLON_WINDOWS_PORT_HOLDER, com.Name()});
    ASSERT_TRUE(holder.Read(false, kPatience).starts_with("held"));
    const DoctorRun held = Doctor(com.Name());
    EXPECT_EQ(held.exitCode, 1) << held.output;
    EXPECT_TRUE(held.Says("\u2717 Opening " + com.Name() +
                          ": another program holds it. Fix: Close the program that holds it (a terminal "
                          "program, another station), then check again."))
        << held.output;
    EXPECT_FALSE(held.Says("Link to the ID writer")) << "a port that does not open is not linked";
    holder.Signal(SIGKILL);
  }

  const DoctorRun free = Doctor(com.Name());
  EXPECT_EQ(free.exitCode, 0) << free.output;
  EXPECT_TRUE(free.Says("\u2713 Opening " + com.Name() + ": it opens, and no other program holds it."))
      << free.output;
  EXPECT_TRUE(free.Says("\u2713 Link to the ID writer: " + com.Name() +
                        " at 460800 baud: it answered the handshake."))
      << free.output;
  EXPECT_TRUE(free.Says("\u2713 One page read back (nothing written): ")) << free.output;
}

}  // namespace
}  // namespace quillon
