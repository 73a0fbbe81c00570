// quillon-sounds: writes the station's finish and error sounds into a directory (res/ of the source
// tree, where they are kept).
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tools/station_sounds.h"

namespace {

bool Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) std::fprintf(stderr, "quillon-sounds: cannot write %s\n", path.string().c_str());
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: quillon-sounds DIRECTORY\nWrites FinishVoice.wav and ErrorVoice.wav.\n");
    return 2;
  }
  using namespace quillon::sounds;
  const std::filesystem::path directory = argv[1];
  const bool written = Write(directory / "FinishVoice.wav", WavFile(FinishChime())) &&
                       Write(directory / "ErrorVoice.wav", WavFile(ErrorBeeps()));
  return written ? 0 : 1;
}
