// The font files the generators draw from, where Debian 12 installs them.
#pragma once

namespace quillon::tools {

struct FontFile {
  const char* path;
  int faceIndex;
  const char* debianPackage;
};

inline constexpr FontFile kDejaVuSansMono{"/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", 0,
                                          "fonts-dejavu-core"};
inline constexpr FontFile kDejaVuSansMonoBold{"/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf", 0,
                                              "fonts-dejavu-core"};
// Face 2 of the collection is Noto Sans CJK SC, the simplified Chinese cut.
inline constexpr FontFile kNotoSansCjkSc{"/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 2,
                                         "fonts-noto-cjk"};
// Face 0 is WenQuanYi Zen Hei, face 2 its "Sharp" cut with hand-drawn bitmaps for small sizes.
inline constexpr FontFile kWqyZenHei{"/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", 0, "fonts-wqy-zenhei"};
inline constexpr FontFile kWqyZenHeiSharp{"/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", 2,
                                          "fonts-wqy-zenhei"};
inline constexpr const char* kUnifontHex = "/usr/share/unifont/unifont.hex";
inline constexpr const char* kUnifontPackage = "unifont";

}  // namespace quillon::tools
