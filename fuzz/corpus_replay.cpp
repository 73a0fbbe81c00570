// Runs a fuzz target over the inputs of its seed corpus, without libFuzzer: the ordinary builds (gcc,
// Release and the sanitizers) check the targets' promises on every committed input.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Only the targets that need a setting-up define it.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv) {
  // The corpus is named by absolute paths: a target may work in a directory of its own.
  std::vector<std::filesystem::path> corpora(argv + 1, argv + argc);
  for (auto& corpus : corpora) corpus = std::filesystem::absolute(corpus);
  if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
  std::size_t inputs = 0;
  for (const auto& corpus : corpora) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream file(entry.path(), std::ios::binary);
      const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++inputs;
    }
  }
  std::printf("%zu inputs, no broken promise\n", inputs);
  return inputs > 0 ? 0 : 1;
}
