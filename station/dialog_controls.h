// Control ids of the main dialog.
#pragma once

#include <array>

namespace quillon {

inline constexpr int kIdProgress = 1000;
inline constexpr int kIdSlider = 1002;
inline constexpr int kIdExit = 2;
inline constexpr int kIdLinkStatus = 1011;  // the status line above the Exit button

inline constexpr int kIdWriteChinese = 1001;
inline constexpr int kIdWriteKorean = 3;
inline constexpr int kIdWriteColour240Korean = 4;
inline constexpr int kIdWriteTraditionalChinese = 1003;
inline constexpr int kIdWriteColour240TraditionalChinese = 1008;
inline constexpr int kIdWriteLargeAscii = 1004;
inline constexpr int kIdWriteJapanese = 1005;
inline constexpr int kIdWriteColour240Chinese = 1006;
inline constexpr int kIdWriteColour128Chinese = 1007;
inline constexpr int kIdWriteColour240Japanese = 1009;  // has no job: pressing it does nothing
inline constexpr int kIdWriteColour240English = 1010;   // disabled until the first link comes up

// The job buttons in the order they are enabled and disabled.
inline constexpr std::array<int, 11> kJobButtonIds = {
    kIdWriteChinese,
    kIdWriteKorean,
    kIdWriteColour240Korean,
    kIdWriteTraditionalChinese,
    kIdWriteColour240TraditionalChinese,
    kIdWriteLargeAscii,
    kIdWriteJapanese,
    kIdWriteColour240Chinese,
    kIdWriteColour128Chinese,
    kIdWriteColour240Japanese,
    kIdWriteColour240English,
};

}  // namespace quillon
