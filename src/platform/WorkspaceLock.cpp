#include "WorkspaceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

std::unique_ptr<TWorkspaceLock> TWorkspaceLock::TryAcquire(const std::string& fileName) {
  int fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return nullptr;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<TWorkspaceLock>(new TWorkspaceLock(fd));
}

TWorkspaceLock::~TWorkspaceLock() {
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
}

}  // namespace platform
