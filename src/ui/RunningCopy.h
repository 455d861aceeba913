// SPDX-License-Identifier: GPL-3.0-or-later
// Both ends of the channel between copies of the program (platform/Channel.h): the copy that
// holds a workspace listens, and a start that finds the workspace held hands its argument over.
#pragma once

#include <QObject>

#include <functional>
#include <string>

class QLocalServer;
class QLocalSocket;

// The listening end. It owns the socket on SocketPath for its lifetime; the owner holds the
// workspace lock meanwhile, so what is found on that path was left by a copy that has ended.
class TRunningCopyServer : public QObject {
public:
  // OnMessage gets each message taken: whole, within the size limit, from a process of this
  // user, and acknowledged to its sender (a sender that has given up gets nothing done).
  TRunningCopyServer(const std::string& socketPath,
                     std::function<void(const std::string&)> onMessage,
                     QObject* parent = nullptr);
  ~TRunningCopyServer() override;
  bool Listening() const;

private:
  void Accept();
  void Read(QLocalSocket* connection, std::string& received);

  QLocalServer* server_;
  std::function<void(const std::string&)> onMessage_;
};

// The sending end: hands Message to the copy listening on SocketPath and returns true when that
// copy took it. A copy that has only just taken its workspace listens a moment later, so the
// connection is tried for a short while; a copy that does not answer in time (it is stuck, say)
// is given up on, and then never acts on the message.
bool SendToRunningCopy(const std::string& socketPath, const std::string& message);
