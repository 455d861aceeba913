// SPDX-License-Identifier: GPL-3.0-or-later
#include "Channel.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "Files.h"
#include "Ownership.h"

namespace platform {

namespace {

bool IsPrivateFolder(const std::string& folder) {
  struct stat st {};
  return ::lstat(folder.c_str(), &st) == 0 && PrivateFolderOf(st, ::geteuid());
}

// A short, stable name for a storage tree: FNV-1a, 64 bits, in hexadecimal.
std::string TreeTag(const std::string& root) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : root) hash = (hash ^ c) * 1099511628211ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::string FitForSocket(const std::string& path) {
  return path.size() < sizeof(sockaddr_un::sun_path) ? path : std::string();
}

}  // namespace

std::string ChannelSocketPath(const std::string& root, const std::string& workspace) {
  // The runtime folder is shared by every storage tree of the user (tests make many).
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/' && IsPrivateFolder(runtime))
    return FitForSocket(IncludeTrailingPathDelimiter(runtime) + "fennimo-" + workspace + "-" +
                        TreeTag(root));
  if (root.empty()) return {};
  std::string folder = root + "Sockets/";
  ::mkdir(folder.c_str(), 0700);
  return IsPrivateFolder(folder) ? FitForSocket(folder + workspace) : std::string();
}

std::string FrameChannelMessage(const std::string& message) {
  std::string frame;
  auto size = static_cast<std::uint32_t>(message.size());
  for (int i = 0; i < 4; ++i) frame += static_cast<char>((size >> (8 * i)) & 0xFF);
  return frame + message;
}

TChannelFrame TakeChannelMessage(const std::string& received, std::string& message) {
  if (received.size() < 4) return TChannelFrame::Partial;
  std::uint64_t size = 0;
  for (int i = 0; i < 4; ++i)
    size |= static_cast<std::uint64_t>(static_cast<unsigned char>(received[i])) << (8 * i);
  if (size > MaxChannelMessage || received.size() > 4 + size) return TChannelFrame::Refused;
  if (received.size() < 4 + size) return TChannelFrame::Partial;
  message = received.substr(4);
  return TChannelFrame::Complete;
}

bool PeerIsThisUser(int fd) {
  ucred peer {};
  socklen_t size = sizeof peer;
  return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof peer &&
         peer.uid == ::geteuid();
}

}  // namespace platform
