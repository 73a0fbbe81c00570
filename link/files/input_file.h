// The station's input files (the font packages, the colour packages' image files, "Speed.txt") are read
// only when they are regular files. A named pipe would hold the open or the first read for ever, a device
// may answer anything, a directory holds no bytes: each is refused in words that say what it is. The
// open never blocks, and the kind is checked on the file opened, so nothing can be swapped in between.
#pragma once

#include <cstdio>
#include <istream>
#include <memory>
#include <streambuf>
#include <string>

#include "texts/problem.h"

namespace quillon {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

// The file at `utf8Path`, opened for reading in binary. Problems: kInputMissing when nothing is there,
// kInputRefused for anything that is not a regular file or cannot be opened.
Result<InputFile> OpenInputFile(const std::string& utf8Path);

// An input file read as a stream (the Intel-HEX reader reads lines), owning it.
class InputFileStream : public std::istream {
 public:
  explicit InputFileStream(InputFile file);

 private:
  class Buffer : public std::streambuf {
   public:
    explicit Buffer(std::FILE* file) : m_file(file) {}

   protected:
    int_type underflow() override;
    pos_type seekoff(off_type offset, std::ios::seekdir direction, std::ios::openmode which) override;
    pos_type seekpos(pos_type position, std::ios::openmode which) override;

   private:
    std::FILE* m_file;
    char m_bytes[4096];
  };

  InputFile m_file;
  Buffer m_buffer;
};

}  // namespace quillon
