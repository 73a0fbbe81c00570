// The USB library as the station finds it: usable, of the other width, only where the station does not
// load from, or not there at all.
#include <gtest/gtest.h>

#include "link/diagnosis/usb_library_check.h"
#include "link/usb/library_width.h"

namespace quillon {
namespace {

constexpr int kOtherWidth = kProgramWidthBits == 32 ? 64 : 32;

TEST(UsbLibraryCheckTest, EachWayOfFindingTheLibrarySaysWhatToDo) {
  UsbLibraryLook usable{.fileName = "SiUSBXp.dll",
                        .foundAt = "C:\\Quillon\\SiUSBXp.dll",
                        .widthBits = kProgramWidthBits,
                        .usable = true,
                        .devices = 1};
  std::vector<CheckResult> results = CheckUsbLibrary(usable);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].verdict, CheckVerdict::kPass);
  EXPECT_EQ(results[1].check, "usb-device");

  UsbLibraryLook otherWidth{.fileName = "SiUSBXp.dll",
                            .foundAt = "C:\\Quillon\\SiUSBXp.dll",
                            .widthBits = kOtherWidth,
                            .problem = "SiUSBXp.dll is a library of the other width"};
  results = CheckUsbLibrary(otherWidth);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].verdict, CheckVerdict::kFail);
  EXPECT_EQ(results[0].fix, "Run the " + std::to_string(kOtherWidth) +
                                "-bit station, which can use it, or put the " +
                                std::to_string(kProgramWidthBits) + "-bit library in its place.");

  UsbLibraryLook stray{.fileName = "SiUSBXp.dll",
                       .programFolder = "C:\\Quillon",
                       .strayCopies = {"C:\\Users\\op\\Downloads\\SiUSBXp.dll"}};
  results = CheckUsbLibrary(stray);
  EXPECT_EQ(results[0].verdict, CheckVerdict::kFail);
  EXPECT_EQ(results[0].found,
            "only in C:\\Users\\op\\Downloads\\SiUSBXp.dll, where the station does not load it from");
  EXPECT_EQ(results[0].fix, "Copy it beside the station (C:\\Quillon) or into the system folder.");

  results = CheckUsbLibrary({.fileName = "libSiUSBXp.so"});
  EXPECT_EQ(results[0].verdict, CheckVerdict::kNothingToCheck);
  EXPECT_EQ(results[0].found, "not installed: the station uses the serial way");
}

}  // namespace
}  // namespace quillon
