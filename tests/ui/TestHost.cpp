// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the host tool, for tests: it creates the hand-off block and the semaphore,
// starts a program with that program's process id in the block, and waits for the program's
// signal.
//
//   fennimo-test-host [options] -- PROGRAM [ARGS...]
//     --home PATH        string 1 of the block
//     --open PATH        string 2 of the block (default: empty)
//     --pid-offset N     write the program's pid + N (a block meant for another process)
//     --length1 N, --length2 N   write these lengths instead of the strings' own (malformed
//                        blocks: lengths past the end, terminators outside the strings)
//     --timeout MS       how long to wait for the signal (default 10000)
//     --block-out FILE   after waiting, copy the block as it is then into FILE
//
// Prints "signalled" or "timeout" and the program's pid on stdout, leaves the program running,
// removes the block and the semaphore, and exits 0 (2 on bad usage or a failure of its own).
#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "HostHandoff.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: fennimo-test-host [--home P] [--open P] [--pid-offset N] "
                       "[--length1 N] [--length2 N] [--timeout MS] [--block-out FILE] -- "
                       "PROGRAM [ARGS]\n");
  return 2;
}

void SetLe32(std::string& block, std::size_t at, long long value) {
  for (int k = 0; k < 4; ++k) block[at + k] = static_cast<char>((value >> (8 * k)) & 0xFF);
}

}  // namespace

int main(int argc, char** argv) {
  std::string home, open, blockOut;
  long pidOffset = 0, timeoutMs = 10000;
  long long length1 = -1, length2 = -1;
  int i = 1;
  for (; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--") {
      ++i;
      break;
    } else if (a == "--home") {
      home = value();
    } else if (a == "--open") {
      open = value();
    } else if (a == "--pid-offset") {
      pidOffset = std::strtol(value().c_str(), nullptr, 10);
    } else if (a == "--length1") {
      length1 = std::strtoll(value().c_str(), nullptr, 0);
    } else if (a == "--length2") {
      length2 = std::strtoll(value().c_str(), nullptr, 0);
    } else if (a == "--timeout") {
      timeoutMs = std::strtol(value().c_str(), nullptr, 10);
    } else if (a == "--block-out") {
      blockOut = value();
    } else {
      return Usage();
    }
  }
  if (i >= argc) return Usage();

  ::shm_unlink(platform::HandoffBlockName);
  ::sem_unlink(platform::HandoffEventName);
  int shm = ::shm_open(platform::HandoffBlockName, O_CREAT | O_EXCL | O_RDWR, 0600);
  sem_t* event = ::sem_open(platform::HandoffEventName, O_CREAT | O_EXCL, 0600, 0);
  if (shm < 0 || event == SEM_FAILED) {
    std::perror("fennimo-test-host");
    return 2;
  }

  // The child waits on a pipe until the block is filled with its own process id.
  int gate[2];
  if (::pipe(gate) != 0) return 2;
  pid_t child = ::fork();
  if (child < 0) return 2;
  if (child == 0) {
    ::close(gate[1]);
    char byte;
    [[maybe_unused]] ssize_t n = ::read(gate[0], &byte, 1);
    ::close(gate[0]);
    ::execvp(argv[i], argv + i);
    std::perror("exec");
    _exit(127);
  }
  ::close(gate[0]);
  std::string block =
      platform::MakeHandoffBlock(static_cast<std::uint32_t>(child + pidOffset), home, open);
  if (length1 >= 0) SetLe32(block, 4, length1);
  if (length2 >= 0) SetLe32(block, 8, length2);
  bool written = ::write(shm, block.data(), block.size()) == static_cast<ssize_t>(block.size());
  ::close(gate[1]);  // let the child go
  if (!written) return 2;

  timespec until {};
  ::clock_gettime(CLOCK_REALTIME, &until);
  until.tv_sec += timeoutMs / 1000;
  until.tv_nsec += (timeoutMs % 1000) * 1000000L;
  if (until.tv_nsec >= 1000000000L) until.tv_sec += 1, until.tv_nsec -= 1000000000L;
  int waited;
  while ((waited = ::sem_timedwait(event, &until)) != 0 && errno == EINTR) {
  }
  std::printf("%s %d\n", waited == 0 ? "signalled" : "timeout", static_cast<int>(child));
  std::fflush(stdout);

  if (!blockOut.empty()) {
    std::string now(block.size(), '\0');
    if (::pread(shm, now.data(), now.size(), 0) == static_cast<ssize_t>(now.size())) {
      if (std::FILE* f = std::fopen(blockOut.c_str(), "wb")) {
        std::fwrite(now.data(), 1, now.size(), f);
        std::fclose(f);
      }
    }
  }
  ::close(shm);
  ::sem_close(event);
  ::shm_unlink(platform::HandoffBlockName);
  ::sem_unlink(platform::HandoffEventName);
  return 0;
}
