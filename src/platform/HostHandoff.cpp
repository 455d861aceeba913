// SPDX-License-Identifier: GPL-3.0-or-later
#include "HostHandoff.h"

#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Ownership.h"

namespace platform {

namespace {

// The most of a block that is read: far more than two folder paths and the header need.
constexpr std::size_t MaxBlockSize = 1 << 20;

std::uint32_t Le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void PutLe32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The string starting at Offset up to its zero byte, which must lie at or before Last.
bool TakeString(const unsigned char* data, std::uint64_t offset, std::uint64_t last,
                std::string& out) {
  const unsigned char* begin = data + offset;
  const unsigned char* end = data + last + 1;
  const unsigned char* zero = std::find(begin, end, 0);
  if (zero == end) return false;
  out.assign(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(zero - begin));
  return true;
}

// The object's bytes, up to MaxBlockSize: what read returns is all there is, however the
// object's size changes meanwhile.
std::string ReadAll(int fd) {
  std::string data;
  char chunk[4096];
  while (data.size() < MaxBlockSize) {
    ssize_t n = ::pread(fd, chunk, sizeof chunk, static_cast<off_t>(data.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    data.append(chunk, static_cast<std::size_t>(n));
  }
  if (data.size() > MaxBlockSize) data.resize(MaxBlockSize);
  return data;
}

// Posts the named semaphore when it is this user's alone. The C library keeps the semaphore
// "/Name" in the file /dev/shm/sem.Name; that folder is sticky, so a file found to be ours
// can't be swapped for another user's before it is opened.
void PostEvent(const char* name) {
  std::string file = std::string("/dev/shm/sem.") + (name[0] == '/' ? name + 1 : name);
  struct stat st {};
  if (::lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !WritableOnlyBy(st, ::geteuid()))
    return;
  sem_t* event = ::sem_open(name, 0);
  if (event == SEM_FAILED) return;
  ::sem_post(event);
  ::sem_close(event);
}

}  // namespace

THandoffBlock ParseHandoffBlock(const unsigned char* data, std::size_t size, std::uint32_t pid,
                                std::string& home, std::string& open) {
  if (size < 12) return THandoffBlock::Malformed;
  if (Le32(data) != pid) return THandoffBlock::OtherProcess;
  std::uint64_t length1 = Le32(data + 4), length2 = Le32(data + 8);
  // 64-bit arithmetic: two 32-bit lengths plus 14 can't overflow it.
  std::uint64_t total = length1 + length2 + 14;
  if (total > size) return THandoffBlock::Malformed;
  std::string first, second;
  if (!TakeString(data, 12, 12 + length1, first) ||
      !TakeString(data, 13 + length1, 13 + length1 + length2, second))
    return THandoffBlock::Malformed;
  home = std::move(first);
  open = std::move(second);
  return THandoffBlock::Ours;
}

bool ReadHostHandoff(std::string& home, std::string& open, const char* blockName,
                     const char* eventName) {
  int fd = ::shm_open(blockName, O_RDONLY, 0);
  if (fd < 0) return false;
  std::string block;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && WritableOnlyBy(st, ::geteuid())) block = ReadAll(fd);
  ::close(fd);
  if (ParseHandoffBlock(reinterpret_cast<const unsigned char*>(block.data()), block.size(),
                        static_cast<std::uint32_t>(::getpid()), home,
                        open) != THandoffBlock::Ours)
    return false;
  PostEvent(eventName);
  return true;
}

std::string MakeHandoffBlock(std::uint32_t pid, const std::string& home, const std::string& open) {
  std::string block;
  PutLe32(block, pid);
  PutLe32(block, static_cast<std::uint32_t>(home.size()));
  PutLe32(block, static_cast<std::uint32_t>(open.size()));
  block += home;
  block += '\0';
  block += open;
  block += '\0';
  return block;
}

}  // namespace platform
