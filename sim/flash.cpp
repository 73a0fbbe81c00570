#include "sim/flash.h"

#include <cstdio>
#include <memory>

namespace quillon::sim {

Flash::Flash() : m_bytes(kFlashSize, kErasedByte) {}

void Flash::Program(std::uint32_t address, std::span<const std::uint8_t> bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) m_bytes[(address + i) & kAddressMask] = bytes[i];
}

void Flash::Read(std::uint32_t address, std::span<std::uint8_t> out) const {
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = m_bytes[(address + i) & kAddressMask];
}

bool Flash::Dump(const std::filesystem::path& path) const {
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.string().c_str(), "wb"));
  if (!file) return false;
  const bool written = std::fwrite(m_bytes.data(), 1, m_bytes.size(), file.get()) == m_bytes.size();
  // fclose flushes: a full disk shows up only here.
  return std::fclose(file.release()) == 0 && written;
}

}  // namespace quillon::sim
