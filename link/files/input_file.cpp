#include "link/files/input_file.h"

namespace quillon {

InputFileStream::InputFileStream(InputFile file)
    : std::istream(nullptr), m_file(std::move(file)), m_buffer(m_file.get()) {
  rdbuf(&m_buffer);
}

InputFileStream::Buffer::int_type InputFileStream::Buffer::underflow() {
  const std::size_t count = std::fread(m_bytes, 1, sizeof m_bytes, m_file);
  if (count == 0) return traits_type::eof();
  setg(m_bytes, m_bytes, m_bytes + count);
  return traits_type::to_int_type(m_bytes[0]);
}

InputFileStream::Buffer::pos_type InputFileStream::Buffer::seekoff(off_type offset,
                                                                   std::ios::seekdir direction,
                                                                   std::ios::openmode which) {
  if (direction == std::ios::cur) {
    // Where the reader is: the file's place less what is read ahead into the buffer.
    const long filePlace = std::ftell(m_file);
    if (filePlace < 0) return pos_type(off_type(-1));
    return seekpos(filePlace - (egptr() - gptr()) + offset, which);
  }
  if (direction == std::ios::beg) return seekpos(offset, which);
  // From the end: where the image file's size is found.
  if (std::fseek(m_file, static_cast<long>(offset), SEEK_END) != 0) return pos_type(off_type(-1));
  setg(m_bytes, m_bytes, m_bytes);
  return pos_type(off_type(std::ftell(m_file)));
}

InputFileStream::Buffer::pos_type InputFileStream::Buffer::seekpos(pos_type position, std::ios::openmode) {
  if (std::fseek(m_file, static_cast<long>(off_type(position)), SEEK_SET) != 0) return pos_type(off_type(-1));
  setg(m_bytes, m_bytes, m_bytes);
  return position;
}

}  // namespace quillon
