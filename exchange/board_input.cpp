#include "exchange/board_input.h"

#include <algorithm>
#include <cstring>

#include "core/file_bytes.h"

namespace {

// Small enough to be nothing beside an entry, large enough for few reads.
constexpr std::size_t kBufferBytes = 256 * 1024;
// A large entry is read in pieces of this size, the window answering between them.
constexpr std::size_t kPieceBytes = 4u << 20;

bool IsLineEnd(unsigned char byte) { return byte == 0x00 || byte == '\r' || byte == '\n'; }

// Reads until `count` bytes are there or the source gives none: a source may give fewer than
// asked (a file on a network share) without being at its end.
std::size_t ReadFully(BoardSource& source, unsigned char* to, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const std::size_t got = source.Read(to + done, count - done);
    if (got == 0) break;
    done += got;
  }
  return done;
}

}  // namespace

std::size_t MemoryBoardSource::Read(unsigned char* to, std::size_t count) {
  const std::size_t n = std::min(count, size_ - position_);
  if (n > 0) std::memcpy(to, data_ + position_, n);
  position_ += n;
  return n;
}

FileBoardSource::FileBoardSource(const std::string& path) : file_(FileSystemPath(path), std::ios::binary) {
  if (!file_) return;
  file_.seekg(0, std::ios::end);
  const std::streamoff size = file_.tellg();
  file_.seekg(0, std::ios::beg);
  if (size < 0 || !file_) return;
  size_ = static_cast<std::uint64_t>(size);
  open_ = true;
}

std::size_t FileBoardSource::Read(unsigned char* to, std::size_t count) {
  if (!open_) return 0;
  file_.read(reinterpret_cast<char*>(to), static_cast<std::streamsize>(count));
  return static_cast<std::size_t>(file_.gcount());
}

BoardInput::BoardInput(BoardSource& source) : source_(source), size_(source.Size()), buffer_(kBufferBytes) {}

bool BoardInput::Have(std::size_t count) {
  if (end_ - begin_ >= count) return true;
  if (failed_ || Remaining() < count) return false;
  std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
  end_ -= begin_;
  begin_ = 0;
  const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size() - end_, Remaining() - end_));
  const std::size_t got = ReadFully(source_, buffer_.data() + end_, wanted);
  end_ += got;
  if (got < wanted) failed_ = true;
  return end_ - begin_ >= count;
}

bool BoardInput::Number(int32_t& value) {
  if (!Have(4)) return false;
  const unsigned char* p = buffer_.data() + begin_;
  value = static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
  Skip(4);
  return true;
}

LineRead BoardInput::Line(std::string& line, std::size_t maxLength) {
  line.clear();
  for (;;) {
    if (!Have(1)) return LineRead::Unterminated;
    const unsigned char byte = buffer_[begin_];
    if (IsLineEnd(byte)) break;
    if (line.size() == maxLength) return LineRead::Overlong;
    line.push_back(static_cast<char>(byte));
    Skip(1);
  }
  const unsigned char end = buffer_[begin_];
  Skip(1);
  if (end == '\r' && Have(1) && buffer_[begin_] == '\n') Skip(1);
  return LineRead::Ok;
}

bool BoardInput::Data(std::size_t count, std::vector<unsigned char>& out, const std::function<void()>& between) {
  if (count > Remaining()) return false;
  out.resize(count);
  const std::size_t buffered = std::min(count, end_ - begin_);
  if (buffered > 0) std::memcpy(out.data(), buffer_.data() + begin_, buffered);
  Skip(buffered);
  for (std::size_t done = buffered; done < count;) {
    const std::size_t piece = std::min(count - done, kPieceBytes);
    const std::size_t got = failed_ ? 0 : ReadFully(source_, out.data() + done, piece);
    position_ += got;
    done += got;
    if (got < piece) {
      failed_ = true;
      return false;
    }
    if (between) between();
  }
  return true;
}

bool BoardInput::NextBytesAre(const unsigned char* bytes, std::size_t count) {
  return Have(count) && std::memcmp(buffer_.data() + begin_, bytes, count) == 0;
}

void BoardInput::Skip(std::size_t count) {
  begin_ += count;
  position_ += count;
}
