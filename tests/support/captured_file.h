// A FILE that keeps what is written to it in memory, for what a program says on its streams.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace quillon::testing {

class CapturedFile {
 public:
  CapturedFile() : m_file(open_memstream(&m_buffer, &m_size)) {}
  ~CapturedFile() {
    std::fclose(m_file);
    std::free(m_buffer);
  }
  CapturedFile(const CapturedFile&) = delete;
  CapturedFile& operator=(const CapturedFile&) = delete;

  std::FILE* get() const { return m_file; }
  std::string Text() {
    std::fflush(m_file);
    return std::string(m_buffer, m_size);
  }
  bool Says(const std::string& words) { return Text().find(words) != std::string::npos; }

 private:
  char* m_buffer = nullptr;
  std::size_t m_size = 0;
  std::FILE* m_file;
};

}  // namespace quillon::testing
