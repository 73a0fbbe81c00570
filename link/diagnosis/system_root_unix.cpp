#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <system_error>

#include "link/diagnosis/system_root.h"
#include "link/os/file_descriptor.h"

namespace quillon {
namespace {

// The kernel's POSIX access list as stored in its extended attribute: a version word, then entries of
// a tag, the permissions and an id, all little-endian.
constexpr char kAccessListAttribute[] = "system.posix_acl_access";
constexpr std::uint32_t kAccessListVersion = 2;
constexpr std::uint16_t kTagUser = 0x02;
constexpr std::uint16_t kTagGroup = 0x08;
constexpr std::uint16_t kTagMask = 0x10;
constexpr std::uint16_t kReadWrite = 0x06;
constexpr std::size_t kEntrySize = 8;

std::uint32_t LittleEndian(const unsigned char* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

}  // namespace

Identity Identity::OfThisProcess() {
  Identity identity;
  identity.uid = ::getuid();
  identity.pid = ::getpid();
  identity.groups.push_back(::getgid());
  const int count = ::getgroups(0, nullptr);
  std::vector<gid_t> groups(count > 0 ? static_cast<std::size_t>(count) : 0);
  if (count > 0 && ::getgroups(count, groups.data()) == count) {
    for (gid_t group : groups) identity.groups.push_back(group);
  }
  return identity;
}

std::filesystem::path SystemRoot::Path(std::string_view absolute) const {
  std::filesystem::path relative(absolute);
  return m_root / relative.relative_path();
}

std::optional<std::string> SystemRoot::ReadText(std::string_view absolute, std::size_t limit) const {
  // sysfs and /proc files say they are empty and block devices never end: read up to the limit.
  std::ifstream file(Path(absolute), std::ios::binary);
  if (!file) return std::nullopt;
  std::string text(limit, '\0');
  file.read(text.data(), static_cast<std::streamsize>(limit));
  if (file.bad()) return std::nullopt;
  text.resize(static_cast<std::size_t>(file.gcount()));
  return text;
}

std::optional<std::string> SystemRoot::ReadLine(std::string_view absolute) const {
  std::optional<std::string> text = ReadText(absolute, 4096);
  if (!text) return std::nullopt;
  std::string line = text->substr(0, text->find('\n'));
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t')) line.pop_back();
  return line;
}

std::vector<std::string> SystemRoot::Names(std::string_view folder) const {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator entry(Path(folder), error), end; !error && entry != end;
       entry.increment(error)) {
    names.push_back(entry->path().filename().string());
  }
  std::ranges::sort(names);
  return names;
}

std::optional<std::string> SystemRoot::LinkTarget(std::string_view absolute) const {
  std::error_code error;
  const std::filesystem::path target = std::filesystem::read_symlink(Path(absolute), error);
  if (error) return std::nullopt;
  return target.string();
}

bool SystemRoot::Exists(std::string_view absolute) const {
  struct stat status {};
  return ::lstat(Path(absolute).c_str(), &status) == 0;
}

std::optional<FileOwnership> SystemRoot::Ownership(std::string_view absolute) const {
  struct stat status {};
  if (::stat(Path(absolute).c_str(), &status) != 0) return std::nullopt;
  return FileOwnership{status.st_uid, status.st_gid, static_cast<unsigned>(status.st_mode & 07777)};
}

AccessList SystemRoot::ReadAccessList(std::string_view absolute) const {
  AccessList list;
  unsigned char bytes[4 + 32 * kEntrySize];
  const ssize_t size = ::getxattr(Path(absolute).c_str(), kAccessListAttribute, bytes, sizeof bytes);
  if (size < 4 || LittleEndian(bytes, 4) != kAccessListVersion) return list;
  std::uint16_t mask = kReadWrite;
  AccessList named;
  for (ssize_t at = 4; at + static_cast<ssize_t>(kEntrySize) <= size; at += kEntrySize) {
    const auto tag = static_cast<std::uint16_t>(LittleEndian(bytes + at, 2));
    const auto permissions = static_cast<std::uint16_t>(LittleEndian(bytes + at + 2, 2));
    const unsigned id = LittleEndian(bytes + at + 4, 4);
    if (tag == kTagMask) mask = permissions;
    if ((permissions & kReadWrite) != kReadWrite) continue;
    if (tag == kTagUser) named.users.push_back(id);
    if (tag == kTagGroup) named.groups.push_back(id);
  }
  // The mask caps what the named entries grant.
  if ((mask & kReadWrite) == kReadWrite) list = std::move(named);
  return list;
}

std::optional<std::vector<std::string>> SystemRoot::KernelMessages() const {
  // Each read of /dev/kmsg gives one record and EAGAIN after the last; a file laid out in its place
  // gives its lines. EPIPE says records were overwritten while reading: read on.
  FileDescriptor log(::open(Path("/dev/kmsg").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!log) return std::nullopt;
  std::vector<std::string> records;
  std::string pending;
  char buffer[8192];
  constexpr std::size_t kMostRecords = 100000;
  while (records.size() < kMostRecords) {
    const ssize_t count = ::read(log.get(), buffer, sizeof buffer);
    if (count < 0 && errno == EPIPE) continue;
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && errno != EAGAIN) {
      if (records.empty()) return std::nullopt;
      break;
    }
    if (count <= 0) break;
    pending.append(buffer, static_cast<std::size_t>(count));
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
      // Lines that begin with a blank carry a record's dictionary (SUBSYSTEM=usb), not a message.
      if (end > 0 && pending[0] != ' ') records.push_back(pending.substr(0, end));
    }
  }
  if (!pending.empty() && pending[0] != ' ') records.push_back(pending);
  return records;
}

}  // namespace quillon
