// The Windows station run under Wine in a working folder named in Chinese that holds the package,
// "Speed.txt" and the sounds, under Wine's Chinese code page (GBK, as on a Chinese PC) and under its
// default one: the package goes into the flash exactly, the speed is kept in the folder, the sound call is
// handed the folder's own sound file, and a file named in Chinese on the command line is written. And the
// console is left in its own code page for what a batch file runs after the station.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "package/font_package.h"
#include "tests/station/jobs/colour_flash.h"
#include "tests/support/child_process.h"
#include "tests/support/scratch_directory.h"
#include "tests/wine/wine_com_port.h"
#include "tools/station_sounds.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using testing::ChildProcess;

constexpr char kFolderName[] = "字库 工作";
constexpr std::uint8_t kErased = 0xFF;
// The longest silence of a run: the open-job pause is 10 s.
constexpr std::chrono::seconds kPatience{60};
// A speed other than the station's default, stored without the line end the station writes.
constexpr char kStoredSpeed[] = "37";

// The Linux locale Wine runs in decides its code page: 936 (GBK) for zh_CN, 1252 for C.UTF-8.
struct CodePage {
  const char* name;
  const char* locale;
};
void PrintTo(const CodePage& codePage, std::ostream* out) {
  *out << codePage.locale;
}

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool HasLocale(const fs::path& locales) {
  return fs::exists(locales / "zh_CN.UTF-8" / "LC_CTYPE");
}

// Wine names the working folder in the locale's character set. Under a locale the system lacks it
// cannot ("could not open working directory") and the program starts in C:\windows, where no package
// lies. The Chinese locale is made once into the build tree from Debian's locale sources (package
// locales).
std::optional<fs::path> ChineseLocales() {
  const fs::path locales = QUILLON_TEST_LOCALES;
  if (HasLocale(locales)) return locales;
  // Made beside and moved into place whole: tests run side by side.
  const fs::path staging = locales / ("making-" + std::to_string(::getpid()));
  std::error_code error;
  fs::create_directories(staging, error);
  ChildProcess localedef({"localedef", "-i", "zh_CN", "-f", "UTF-8", (staging / "zh_CN.UTF-8").string()});
  localedef.Finish(nullptr, std::chrono::seconds(300));
  fs::rename(staging / "zh_CN.UTF-8", locales / "zh_CN.UTF-8", error);  // fails when another made it first
  fs::remove_all(staging, error);
  if (HasLocale(locales)) return locales;
  return std::nullopt;
}

void AppendUtf8(std::string& text, char32_t c) {
  if (c < 0x80) {
    text += static_cast<char>(c);
  } else if (c < 0x800) {
    text += static_cast<char>(0xC0 | (c >> 6));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    text += static_cast<char>(0xE0 | (c >> 12));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (c >> 18));
    text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The files the sound call was handed, as Wine's trace of it names them (WINEDEBUG +winmm):
// SoundName=L"Z:\\tmp\\...\\\5b57\5e93 ..." with each character outside ASCII as four hex digits. Wine's
// drive Z: is the Linux root.
std::vector<fs::path> SoundFilesHandedOver(const std::string& trace) {
  const std::string marker = "proc_PlaySound SoundName=L\"";
  std::vector<fs::path> files;
  for (std::size_t at = trace.find(marker); at != std::string::npos; at = trace.find(marker, at + 1)) {
    std::u16string name;
    for (std::size_t i = at + marker.size(); i < trace.size() && trace[i] != '"'; ++i) {
      if (trace[i] != '\\') {
        name += static_cast<char16_t>(trace[i]);
      } else if (trace[i + 1] == '\\' || trace[i + 1] == '"') {
        name += static_cast<char16_t>(trace[++i]);
      } else {
        name += static_cast<char16_t>(std::stoul(trace.substr(i + 1, 4), nullptr, 16));
        i += 4;
      }
    }
    std::string linuxPath;
    for (std::size_t i = 0; i < name.size(); ++i) {
      char32_t c = name[i];
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < name.size())
        c = 0x10000 + ((c - 0xD800) << 10) + (name[++i] - 0xDC00);
      AppendUtf8(linuxPath, c == '\\' ? '/' : c);
    }
    if (linuxPath.rfind("Z:", 0) == 0) files.emplace_back(linuxPath.substr(2));
  }
  return files;
}

// The finish sound was handed over by the name of the folder's own file, which opens as a wave file.
::testing::AssertionResult HandedTheFoldersFinishSound(const std::string& trace) {
  const std::vector<fs::path> files = SoundFilesHandedOver(trace);
  if (files.empty()) return ::testing::AssertionFailure() << "no sound was played:\n" << trace;
  if (files.back() != fs::current_path() / "FinishVoice.wav") {
    return ::testing::AssertionFailure() << "the sound played was " << files.back();
  }
  const std::vector<std::uint8_t> bytes = ReadAll(files.back());
  if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF") {
    return ::testing::AssertionFailure() << files.back() << " does not open as a wave file";
  }
  return ::testing::AssertionSuccess();
}

class WorkingFolderTest : public ::testing::TestWithParam<CodePage> {
 protected:
  void SetUp() override {
    ::setenv("WINEDEBUG", "-all,+winmm", 1);
    ASSERT_TRUE(fs::is_directory(testing::WinePrefix() / "dosdevices")) << "no Wine prefix";
    if (IsChinese()) {
      const std::optional<fs::path> locales = ChineseLocales();
      ASSERT_TRUE(locales) << "no zh_CN.UTF-8 locale could be made: is Debian's locales package installed?";
      ::setenv("LOCPATH", locales->c_str(), 1);
    }
    ::setenv("LC_ALL", GetParam().locale, 1);
    fs::create_directory(kFolderName);
    fs::current_path(kFolderName);
    const std::string samples = std::string(QUILLON_SAMPLEGEN_PATH) + " . >/dev/null 2>&1";
    ASSERT_EQ(std::system(samples.c_str()), 0);
    WriteFile("FinishVoice.wav", sounds::WavFile(sounds::FinishChime()));
    WriteFile("ErrorVoice.wav", sounds::WavFile(sounds::ErrorBeeps()));
    std::ofstream("Speed.txt") << kStoredSpeed;
  }
  void TearDown() override {
    ::setenv("WINEDEBUG", "-all", 1);
    ::unsetenv("LC_ALL");
    ::unsetenv("LOCPATH");
  }

  static bool IsChinese() { return std::string(GetParam().locale) == "zh_CN.UTF-8"; }

  // Wine's own sound call opens a file by its name in the code page, which names this folder only in
  // the Chinese one; there it is seen to read the file as a wave.
  static void ExpectWineReadTheSound(const std::string& trace) {
    if (!IsChinese()) return;
    EXPECT_NE(trace.find("ParentChunk ckid=RIFF fccType=WAVE"), std::string::npos) << trace;
  }

  static void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  // The simulator on a pty behind a Wine COM port, dumping its flash (outside the folder) when it ends.
  struct SerialDevice {
    SerialDevice()
        : devsim({QUILLON_DEVSIM_PATH, "--link", "../ttyW", "--dump", "../flash.bin"}),
          ttyPath(devsim.Read()),
          com(fs::current_path().parent_path() / "ttyW") {}
    std::vector<std::uint8_t> Flash() {
      devsim.Signal(SIGTERM);
      if (devsim.Finish() != 0) return {};
      return ReadAll("../flash.bin");
    }
    ChildProcess devsim;
    std::string ttyPath;
    testing::WineComPort com;
  };

  static std::vector<std::uint8_t> FlashWithLargeAscii() {
    std::vector<std::uint8_t> image(testing::kFlashBytes, kErased);
    std::ifstream file("Bigfont.txt", std::ios::binary);
    const FontPackage package = ReadFontPackage(file);
    EXPECT_FALSE(package.pages.empty());
    for (const FontPage& page : package.pages) std::ranges::copy(page.bytes, image.begin() + page.address);
    return image;
  }

  static std::optional<int> RunWine(std::vector<std::string> arguments, std::string& output,
                                    std::chrono::seconds patience = kPatience) {
    arguments.insert(arguments.begin(), "wine");
    ChildProcess program(std::move(arguments));
    return program.Finish(&output, patience);
  }

  static std::string SpeedFile() {
    const std::vector<std::uint8_t> bytes = ReadAll("Speed.txt");
    return std::string(bytes.begin(), bytes.end());
  }

  testing::ScratchWorkingDirectory scratch;
};

TEST_P(WorkingFolderTest, TheConsoleWritesThePackageKeepsTheSpeedPlaysTheSoundAndReadsIntoAChineseName) {
  SerialDevice device;
  ASSERT_FALSE(device.com.Name().empty());
  std::string output;
  // In Chinese whatever the code page, so that the console shows Chinese text under each.
  EXPECT_EQ(
      RunWine({QUILLON_WINDOWS_CLI, "write", "large-ascii", "--port", device.com.Name(), "--lang", "zh"},
              output),
      0)
      << output;
  EXPECT_NE(output.find("写入完成!!!"), std::string::npos) << output;
  EXPECT_EQ(SpeedFile(), std::string(kStoredSpeed) + "\r\n");  // a text file, as Windows writes one
  EXPECT_TRUE(HandedTheFoldersFinishSound(output));
  ExpectWineReadTheSound(output);

  // The first page back into a file named on the command line: in the Western code page its name has
  // no narrow form.
  EXPECT_EQ(RunWine({QUILLON_WINDOWS_CLI, "read", "0", "256", "--out", "读出 页.bin", "--port",
                     device.com.Name(), "--quiet"},
                    output),
            0)
      << output;
  const std::vector<std::uint8_t> expected = FlashWithLargeAscii();
  EXPECT_EQ(ReadAll("读出 页.bin"), std::vector<std::uint8_t>(expected.begin(), expected.begin() + 256));
  EXPECT_TRUE(testing::SameFlash(expected, device.Flash()));
}

TEST_P(WorkingFolderTest, AClickInTheWindowWritesThePackageKeepsTheSpeedAndPlaysTheSound) {
  SerialDevice device;
  ::setenv("QUILLON_WINDOW_TEST_PORT", device.com.Name().c_str(), 1);
  std::string output;
  // The window's test checks what the window shows and what it stored in "Speed.txt".
  EXPECT_EQ(RunWine({QUILLON_WINDOWS_WINDOW_TESTS, "--gtest_filter=WindowOverSerial.*"}, output,
                    std::chrono::seconds(180)),
            0)
      << output;
  EXPECT_TRUE(HandedTheFoldersFinishSound(output));
  ExpectWineReadTheSound(output);
  EXPECT_TRUE(testing::SameFlash(FlashWithLargeAscii(), device.Flash()));
}

// cmd writes what it echoes into a file in the console's output code page: as the console was found,
// not in UTF-8, after quillon-cli has ended. The console is a pseudo-terminal that script(1) makes.
TEST_P(WorkingFolderTest, TextThatCmdWritesAfterTheConsoleHasEndedIsInTheConsolesOwnCodePage) {
  std::string cli = std::string("Z:") + QUILLON_WINDOWS_CLI;
  std::ranges::replace(cli, '/', '\\');
  // No blank before '&': cmd would echo it.
  const std::string batch = "echo 中文>before.txt&" + cli +
                            " write large-ascii --simulator=usb --quiet >NUL 2>NUL&echo 中文>after.txt";
  ChildProcess console(
      {"script", "--quiet", "--return", "--command", "wine cmd /c \"" + batch + "\"", "/dev/null"});
  std::string output;
  EXPECT_EQ(console.Finish(&output, kPatience), 0) << output;
  const std::vector<std::uint8_t> before = ReadAll("before.txt");
  const std::string utf8 = "中文\r\n";
  ASSERT_FALSE(before.empty()) << output;
  ASSERT_NE(before, std::vector<std::uint8_t>(utf8.begin(), utf8.end()))
      << "the console was in UTF-8 already";
  EXPECT_EQ(ReadAll("after.txt"), before);
}

INSTANTIATE_TEST_SUITE_P(CodePages, WorkingFolderTest,
                         ::testing::Values(CodePage{"Chinese", "zh_CN.UTF-8"},
                                           CodePage{"Default", "C.UTF-8"}),
                         [](const ::testing::TestParamInfo<CodePage>& info) { return info.param.name; });

}  // namespace
}  // namespace quillon
