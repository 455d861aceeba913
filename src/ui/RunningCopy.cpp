// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunningCopy.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <memory>

#include "Channel.h"

namespace {

// How long a start waits for the holder of its workspace to listen, and then for its answer.
// The holder answers from its event loop, which runs also while it shows a dialog or reports
// progress; one that takes longer is taken to be stuck.
constexpr int ConnectWaitMs = 2000;
constexpr int AnswerWaitMs = 10000;

QString SocketName(const std::string& path) { return QFile::decodeName(path.c_str()); }

void Drop(QLocalSocket* connection) {
  connection->abort();
  connection->deleteLater();
}

}  // namespace

TRunningCopyServer::TRunningCopyServer(const std::string& socketPath,
                                       std::function<void(const std::string&)> onMessage,
                                       QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)), onMessage_(std::move(onMessage)) {
  if (socketPath.empty()) return;
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  QLocalServer::removeServer(SocketName(socketPath));
  if (server_->listen(SocketName(socketPath)))
    connect(server_, &QLocalServer::newConnection, this, &TRunningCopyServer::Accept);
}

// Closing the server removes its socket, so a start that comes after finds no one listening.
TRunningCopyServer::~TRunningCopyServer() { server_->close(); }

bool TRunningCopyServer::Listening() const { return server_->isListening(); }

void TRunningCopyServer::Accept() {
  while (QLocalSocket* connection = server_->nextPendingConnection()) {
    connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
    if (!platform::PeerIsThisUser(static_cast<int>(connection->socketDescriptor()))) {
      Drop(connection);
      continue;
    }
    auto received = std::make_shared<std::string>();
    connect(connection, &QLocalSocket::readyRead, this,
            [this, connection, received] { Read(connection, *received); });
    Read(connection, *received);  // what came with the connection
  }
}

void TRunningCopyServer::Read(QLocalSocket* connection, std::string& received) {
  QByteArray bytes = connection->readAll();
  received.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  std::string message;
  switch (platform::TakeChannelMessage(received, message)) {
    case platform::TChannelFrame::Partial:
      return;
    case platform::TChannelFrame::Refused:
      Drop(connection);
      return;
    case platform::TChannelFrame::Complete:
      break;
  }
  // Acted on only once the sender has its answer: one that gave up has closed its end, and the
  // answer can't be written.
  connection->write(&platform::ChannelAccepted, 1);
  bool told = connection->flush() && connection->bytesToWrite() == 0 &&
              connection->state() == QLocalSocket::ConnectedState;
  connection->disconnectFromServer();
  if (told && onMessage_) onMessage_(message);
}

bool SendToRunningCopy(const std::string& socketPath, const std::string& message) {
  if (socketPath.empty()) return false;
  QLocalSocket socket;
  QDeadlineTimer connectBy(ConnectWaitMs);
  for (;;) {
    socket.connectToServer(SocketName(socketPath));
    if (socket.waitForConnected(static_cast<int>(connectBy.remainingTime()))) break;
    if (connectBy.hasExpired()) return false;
    QThread::msleep(50);
  }
  if (!platform::PeerIsThisUser(static_cast<int>(socket.socketDescriptor()))) return false;
  std::string frame = platform::FrameChannelMessage(message);
  socket.write(frame.data(), static_cast<qint64>(frame.size()));
  QDeadlineTimer answerBy(AnswerWaitMs);
  while (socket.bytesToWrite() > 0)
    if (!socket.waitForBytesWritten(static_cast<int>(answerBy.remainingTime()))) return false;
  while (socket.bytesAvailable() < 1)
    if (!socket.waitForReadyRead(static_cast<int>(answerBy.remainingTime()))) return false;
  char answer = 0;
  return socket.read(&answer, 1) == 1 && answer == platform::ChannelAccepted;
}
