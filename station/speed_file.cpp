// The write speed kept between runs in "Speed.txt": one decimal number on the first line.
#include <cstdlib>
#include <fstream>

#include "link/utf8_path.h"
#include "station/quillon_dlg.h"
#include "station/shared_state.h"

namespace quillon {
namespace {

constexpr char kSpeedFile[] = "Speed.txt";
// More than a number needs: the rest of a longer line is not read, however long the line.
constexpr std::size_t kLongestSpeedLine = 255;

}  // namespace

int CQuillonDlg::LoadSpeed() {
  std::ifstream file(PathFromUtf8(kSpeedFile));
  if (!file) return 0;  // the speed stays as it is
  char line[kLongestSpeedLine + 1] = {};
  file.getline(line, sizeof line);
  // Read as the C library reads a long: blanks, a sign, digits, anything else ends it, none gives 0.
  // Only the low 8 bits are a speed: 300 gives 44, -1 gives 255.
  const long value = std::strtol(line, nullptr, 10);
  g_writeSpeed.store(static_cast<std::uint8_t>(static_cast<unsigned long>(value) & 0xFF));
  return 0;
}

int CQuillonDlg::SaveSpeed() {
  std::ofstream file(PathFromUtf8(kSpeedFile), std::ios::trunc);
  if (!file) return 0;  // not stored, and nobody is told
  file << static_cast<int>(g_writeSpeed.load()) << '\n';
  return 0;
}

}  // namespace quillon
