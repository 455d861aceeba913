// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps a second instance out of a workspace that is in use: an exclusive, non-blocking lock
// on a file named after the workspace. The lock dies with its process.
#pragma once

#include <memory>
#include <string>

namespace platform {

class TWorkspaceLock {
public:
  // Why no lock was taken.
  enum class TRefusal { None, HeldElsewhere, CannotCreate };

  // Takes the lock on FileName (created when missing); none when another process holds it or
  // the file can't be made or locked, and then Refusal (when given) says which.
  static std::unique_ptr<TWorkspaceLock> TryAcquire(const std::string& fileName,
                                                    TRefusal* refusal = nullptr);
  ~TWorkspaceLock();
  TWorkspaceLock(const TWorkspaceLock&) = delete;
  TWorkspaceLock& operator=(const TWorkspaceLock&) = delete;

private:
  explicit TWorkspaceLock(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace platform
