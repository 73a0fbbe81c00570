// What the main window and the About box hold, where, and in which tab order: the one place to change
// the window's look, shared by every window the station has (the Qt window lays itself out from it; the
// Windows resource script repeats it, and its test holds the two together). Positions are in dialog
// units: a horizontal unit is a quarter of the dialog font's average character width, a vertical unit
// an eighth of its height.
#pragma once

#include <array>

#include "station/dialog_controls.h"
#include "texts/catalogue.h"

namespace quillon {

struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Controls that the dialog never addresses carry this id.
inline constexpr int kNoControlId = -1;

enum class ControlKind {
  kPushButton,
  kProgressBar,
  kGroupBox,
  kSlider,
  kLabelLeft,
  kLabelRight,
  kStatusLine
};

struct ControlLayout {
  int id;
  ControlKind kind;
  const char* caption;  // UTF-8
  DialogRect rect;
  const char* name;  // objectName for the controls without an id
};

inline constexpr DialogRect kMainWindowSize{0, 0, 597, 320};

// In tab order.
inline constexpr std::array<ControlLayout, 19> kMainWindowControls = {{
    {kIdWriteChinese, ControlKind::kPushButton, N_("写中文字库"), {79, 17, 152, 29}, nullptr},
    {kIdExit, ControlKind::kPushButton, N_("退出"), {79, 262, 309, 29}, nullptr},
    {kIdLinkStatus, ControlKind::kStatusLine, "", {79, 240, 309, 16}, nullptr},
    {kIdWriteKorean, ControlKind::kPushButton, N_("写韩文字库"), {79, 62, 152, 29}, nullptr},
    {kIdProgress, ControlKind::kProgressBar, "", {7, 302, 583, 8}, nullptr},
    {kNoControlId, ControlKind::kGroupBox, "", {7, 1, 583, 295}, "controlFrame"},
    {kIdSlider, ControlKind::kSlider, "", {502, 22, 24, 214}, nullptr},
    {kNoControlId, ControlKind::kLabelLeft, N_("选择写入速度"), {479, 11, 49, 8}, "speedCaption"},
    {kNoControlId, ControlKind::kLabelRight, N_("高速"), {473, 27, 17, 8}, "highSpeedLabel"},
    {kNoControlId, ControlKind::kLabelRight, N_("低速"), {473, 223, 17, 8}, "lowSpeedLabel"},
    {kIdWriteTraditionalChinese, ControlKind::kPushButton, N_("写繁体中文字库"), {79, 107, 152, 29}, nullptr},
    {kIdWriteLargeAscii, ControlKind::kPushButton, N_("写大ASCII字库"), {79, 197, 152, 29}, nullptr},
    {kIdWriteJapanese, ControlKind::kPushButton, N_("写日文字库"), {79, 152, 152, 29}, nullptr},
    {kIdWriteColour240Chinese,
     ControlKind::kPushButton,
     N_("写240X240彩屏机中文字库"),
     {268, 54, 152, 29},
     nullptr},
    {kIdWriteColour128Chinese,
     ControlKind::kPushButton,
     N_("写128X128彩屏机中文字库"),
     {268, 198, 152, 29},
     nullptr},
    {kIdWriteColour240Korean,
     ControlKind::kPushButton,
     N_("写240X240彩屏机韩文字库"),
     {268, 90, 152, 29},
     nullptr},
    {kIdWriteColour240TraditionalChinese,
     ControlKind::kPushButton,
     N_("写240X240彩屏机繁体中文字库"),
     {268, 126, 152, 29},
     nullptr},
    {kIdWriteColour240Japanese,
     ControlKind::kPushButton,
     N_("写240X240彩屏机日文字库"),
     {268, 162, 152, 29},
     nullptr},
    {kIdWriteColour240English,
     ControlKind::kPushButton,
     N_("写240X240彩屏机英文字库"),
     {268, 17, 152, 29},
     nullptr},
}};

// The About box.
inline constexpr const char* kAboutCaption = N_("关于 Quillon");
inline constexpr const char* kAboutMenuText = N_("关于 Quillon(&A)...");
inline constexpr DialogRect kAboutBoxSize{0, 0, 235, 55};
inline constexpr DialogRect kAboutIconRect{11, 17, 20, 20};
inline constexpr const char* kAboutVersionText = N_("Quillon 1.0 版");
inline constexpr DialogRect kAboutVersionRect{40, 10, 119, 8};
inline constexpr const char* kAboutNoticeText = N_("Quillon font writing station");
inline constexpr DialogRect kAboutNoticeRect{40, 25, 119, 8};
inline constexpr const char* kAboutOkText = N_("确定");
inline constexpr DialogRect kAboutOkRect{178, 7, 50, 14};

}  // namespace quillon
