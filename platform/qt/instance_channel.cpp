#include "platform/qt/instance_channel.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <thread>

namespace platform {

namespace {

constexpr QByteArrayView kRequest = "show\n";
constexpr QByteArrayView kAnswer = "shown\n";
constexpr int kStepMs = 1000;

}  // namespace

InstanceChannel::InstanceChannel(const std::string& name, std::function<void()> show)
    : show_(std::move(show)), server_(std::make_unique<QLocalServer>()) {
    const QString socket = QString::fromStdString(name);
    // Only this instance's lock holder listens here: a socket found is a dead copy's.
    QLocalServer::removeServer(socket);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(),
                     [this] { Answer(); });
    server_->listen(socket);
}

InstanceChannel::~InstanceChannel() = default;

bool InstanceChannel::Listening() const {
    return server_->isListening();
}

void InstanceChannel::Answer() {
    while (QLocalSocket* connection = server_->nextPendingConnection()) {
        // The server owns the connection until it is done with it.
        QObject::connect(connection, &QLocalSocket::disconnected, connection,
                         &QObject::deleteLater);
        QObject::connect(connection, &QLocalSocket::readyRead, connection, [this, connection] {
            if (!connection->canReadLine()) {
                // A caller that sends no line in time is not served.
                if (connection->bytesAvailable() > 64) connection->abort();
                return;
            }
            const QByteArray line = connection->readLine(64);
            if (line != kRequest.toByteArray()) {
                connection->abort();
                return;
            }
            if (show_) show_();
            connection->write(kAnswer.data(), kAnswer.size());
            connection->disconnectFromServer();
        });
    }
}

bool AskRunningCopyToShow(const std::string& name, std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    const QString socket_name = QString::fromStdString(name);
    do {
        QLocalSocket socket;
        socket.connectToServer(socket_name);
        if (socket.waitForConnected(kStepMs)) {
            socket.write(kRequest.data(), kRequest.size());
            socket.waitForBytesWritten(kStepMs);
            QByteArray answer;
            while (!answer.contains('\n') && socket.waitForReadyRead(kStepMs * 5))
                answer += socket.readAll();
            answer += socket.readAll();
            return answer == kAnswer.toByteArray();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

}  // namespace platform
