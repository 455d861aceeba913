// SPDX-License-Identifier: GPL-3.0-or-later
// The channel between copies of the program: a start that finds its workspace held by another
// copy hands its argument to that copy instead of starting a window of its own. The copy that
// holds a workspace listens on a local socket that only this user can reach; a connection
// carries one framed message and gets one byte back when the message was taken.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The socket of the channel of workspace Workspace in the storage tree Root (a folder path
// ending in "/"). In $XDG_RUNTIME_DIR when that is a folder that only this user can open, under
// a name that tells the storage tree apart from others; else in Root's folder "Sockets", made
// for this user alone when missing. "" when neither folder is this user's alone (the folder
// "Sockets" is then left as it is) or the path is too long for a socket.
std::string ChannelSocketPath(const std::string& root, const std::string& workspace);

// A message is its length (4 bytes, little-endian) followed by its bytes; one per connection.
inline constexpr std::size_t MaxChannelMessage = 64 * 1024;
std::string FrameChannelMessage(const std::string& message);

enum class TChannelFrame { Partial, Complete, Refused };
// What the bytes a connection has received so far hold: Partial until a whole message is there
// (then Complete, with the message in Message); Refused for a message longer than
// MaxChannelMessage, or anything after the message.
TChannelFrame TakeChannelMessage(const std::string& received, std::string& message);

// The byte that tells the sender its message was taken.
inline constexpr char ChannelAccepted = 'A';

// True when the process at the other end of the connected local socket Fd runs as this user.
bool PeerIsThisUser(int fd);

}  // namespace platform
