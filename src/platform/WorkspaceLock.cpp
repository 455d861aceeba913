// SPDX-License-Identifier: GPL-3.0-or-later
#include "WorkspaceLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

std::unique_ptr<TWorkspaceLock> TWorkspaceLock::TryAcquire(const std::string& fileName,
                                                           TRefusal* refusal) {
  auto refuse = [refusal](TRefusal why) {
    if (refusal) *refusal = why;
    return nullptr;
  };
  int fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return refuse(TRefusal::CannotCreate);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return refuse(held ? TRefusal::HeldElsewhere : TRefusal::CannotCreate);
  }
  if (refusal) *refusal = TRefusal::None;
  return std::unique_ptr<TWorkspaceLock>(new TWorkspaceLock(fd));
}

TWorkspaceLock::~TWorkspaceLock() {
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
}

}  // namespace platform
