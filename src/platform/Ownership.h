// SPDX-License-Identifier: GPL-3.0-or-later
// Whether an object that other processes can reach (a shared-memory block, a semaphore, a
// folder) belongs to this user alone. What another user could have put there, or could change
// while it is read, is never taken.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace platform {

// The object belongs to User, and neither its group nor anyone else may write it.
inline bool WritableOnlyBy(const struct stat& attributes, uid_t user) {
  return attributes.st_uid == user && (attributes.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// A folder that belongs to User and that nobody else may list, enter or write in.
inline bool PrivateFolderOf(const struct stat& attributes, uid_t user) {
  return S_ISDIR(attributes.st_mode) && attributes.st_uid == user &&
         (attributes.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

}  // namespace platform
