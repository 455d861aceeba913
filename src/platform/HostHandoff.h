// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-off from the host tool: a shared-memory block naming the folders of the packs it
// wants edited, and a semaphore the program posts once it has read the block.
//
// Block layout (little-endian, unsigned 32-bit integers):
//   0  process id of the instance that is to read the block
//   4  length1: bytes of string 1 without its terminator
//   8  length2: bytes of string 2 without its terminator
//   12 string 1 (the host's home folder), then a zero byte
//   13 + length1: string 2 (the folder to open; may be empty), then a zero byte
// The block comes from another process. It is taken only when it belongs to this user and no
// one else can write it, and it is read (never mapped, so that a block cut short meanwhile
// can't fault) and checked against its real size before anything in it is used; a block that
// fails a check means an ordinary start. The semaphore is posted under the same condition.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

inline constexpr const char* HandoffBlockName = "/FennimoFile";
inline constexpr const char* HandoffEventName = "/FennimoEvent";

enum class THandoffBlock { Ours, OtherProcess, Malformed };

// Checks and reads a block of Size bytes meant for process Pid.
THandoffBlock ParseHandoffBlock(const unsigned char* data, std::size_t size, std::uint32_t pid,
                                std::string& home, std::string& open);

// Reads the block for this process, if there is one, and posts the semaphore. A block for
// another process is left unchanged. True when the block was ours and well-formed; a semaphore
// that is missing or not this user's alone is not posted, and the start is still hosted.
bool ReadHostHandoff(std::string& home, std::string& open,
                     const char* blockName = HandoffBlockName,
                     const char* eventName = HandoffEventName);

// Builds a block (used by the test host).
std::string MakeHandoffBlock(std::uint32_t pid, const std::string& home, const std::string& open);

}  // namespace platform
