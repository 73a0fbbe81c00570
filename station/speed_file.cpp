// The write speed kept between runs in "Speed.txt": one decimal number on the first line.
#include <cstdlib>

#include "link/files/input_file.h"
#include "link/files/replaced_file.h"
#include "station/quillon_dlg.h"
#include "station/shared_state.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

constexpr char kSpeedFile[] = "Speed.txt";
// More than a number needs: the rest of a longer line is not read, however long the line.
constexpr std::size_t kLongestSpeedLine = 255;

}  // namespace

int CQuillonDlg::LoadSpeed() {
  Result<InputFile> file = OpenInputFile(kSpeedFile);
  if (!file) {
    // Missing, the speed stays as it is; anything else that is no file is treated as missing, and said.
    if (file.Failure().kind != ProblemKind::kInputMissing) {
      ShowNotice(Tr("{1}: the write speed stays as it is.", {file.Failure().words}));
    }
    return 0;
  }
  char line[kLongestSpeedLine + 1] = {};
  if (std::fgets(line, sizeof line, file->get()) == nullptr) line[0] = '\0';
  // Read as the C library reads a long: blanks, a sign, digits, anything else ends it, none gives 0.
  // Only the low 8 bits are a speed: 300 gives 44, -1 gives 255.
  const long value = std::strtol(line, nullptr, 10);
  g_writeSpeed.store(static_cast<std::uint8_t>(static_cast<unsigned long>(value) & 0xFF));
  return 0;
}

int CQuillonDlg::SaveSpeed() {
  // Replaced whole, never rewritten in place: the slots of a gang, each a station, save it at once, and
  // none may find it empty.
  (void)ReplaceFileWith(kSpeedFile, std::to_string(g_writeSpeed.load()) + kTextLineEnd);  // nobody is told
  return 0;
}

}  // namespace quillon
