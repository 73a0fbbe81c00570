// What the serial monitor makes of reads that end aborted although the station cancelled nothing. A
// driver left with abort-on-error by another program aborts the reads after a line error until its
// error state is cleared: such an abort is read past. A device pulled out aborts every read from then
// on: aborts that keep coming without a byte between them take the link down, once, instead of reading
// and failing for ever. (The reads the station cancels itself end where it cancels them and never come
// here.)
#pragma once

namespace quillon {

class ReadAborts {
 public:
  enum class Verdict { kReadAgain, kGiveUp };

  // Aborts in a row, without a byte between them, that are read past; the next one gives up.
  static constexpr int kMostReadPast = 3;

  // A read ended aborted. Once given up, it stays given up: the monitor reads the port no more.
  Verdict Aborted() {
    if (m_gaveUp || m_inARow >= kMostReadPast) {
      m_gaveUp = true;
      return Verdict::kGiveUp;
    }
    ++m_inARow;
    return Verdict::kReadAgain;
  }
  // Bytes came in: the aborts before them were passing ones.
  void BytesCame() { m_inARow = 0; }
  bool GaveUp() const { return m_gaveUp; }

 private:
  int m_inARow = 0;
  bool m_gaveUp = false;
};

}  // namespace quillon
