// quillon-cli.exe doctor under Wine on a Wine COM port over the Linux simulator's tty: held by another
// program (opened exclusively, as a terminal program or the Linux station holds it), the port fails its
// check and is not linked; let go, it opens, links at 460800 and the round trip runs on it. The station
// runs without the administrator's capability, as an operator does: root's would open a held tty anyway.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "link/os/file_descriptor.h"
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
  ChildProcess cli({"setpriv", "--bounding-set=-sys_admin", "--inh-caps=-sys_admin", "wine",
                    QUILLON_WINDOWS_CLI, "doctor", "--port", port, "--wait", "15", "--lang", "en"});
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
    const FileDescriptor holder(::open("ttyW", O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_TRUE(holder.valid());
    ASSERT_EQ(::ioctl(holder.get(), TIOCEXCL), 0);
    const DoctorRun held = Doctor(com.Name());
    EXPECT_EQ(held.exitCode, 1) << held.output;
    EXPECT_TRUE(held.Says("\u2717 Opening " + com.Name() +
                          ": another program holds it. Fix: Close the program that holds it (a terminal "
                          "program, another station), then check again."))
        << held.output;
    EXPECT_FALSE(held.Says("Link to the ID writer")) << "a port that does not open is not linked";
    // Let go: the simulator keeps its own end open, so the tty's exclusive mode would outlive this hold.
    ASSERT_EQ(::ioctl(holder.get(), TIOCNXCL), 0);
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
