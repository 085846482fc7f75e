#include "app/firstinstance.h"

#include "domains/listlocation.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

constexpr int callTimeoutMs = 1000;
const QByteArray comeForwardRequest = "come forward\n";
const QByteArray comingAnswer = "coming\n";

// One socket per list, whatever path leads to it; the runtime folder is the user's own.
QString socketPath(const QString& listPath)
{
    const QByteArray list = canonicalListPath(listPath).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(list, QCryptographicHash::Sha1).toHex().left(16);
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
        .filePath(u"brenlow-"_s + QString::fromLatin1(hash));
}

} // namespace

FirstInstance::FirstInstance(const QString& listPath, std::function<void()> comeForward, QObject* parent)
    : QObject(parent)
    , m_server(new QLocalServer(this))
    , m_comeForward(std::move(comeForward))
{
    // The caller holds the list's lock, so a socket left there is one that a crashed Brenlow left behind.
    const QString path = socketPath(listPath);
    QLocalServer::removeServer(path);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->listen(path);
    connect(m_server, &QLocalServer::newConnection, this, &FirstInstance::answer);
}

void FirstInstance::answer()
{
    while (QLocalSocket* caller = m_server->nextPendingConnection()) {
        connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
        connect(caller, &QLocalSocket::readyRead, this, [this, caller] {
            if (!caller->canReadLine())
                return;
            if (caller->readLine(64) == comeForwardRequest && m_comeForward) {
                m_comeForward();
                caller->write(comingAnswer);
            }
            caller->disconnectFromServer();
        });
    }
}

bool FirstInstance::callForward(const QString& listPath)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath(listPath));
    if (!socket.waitForConnected(callTimeoutMs))
        return false;
    // Only the answer shows that the first is there to come forward: a stopped one still has its socket.
    socket.write(comeForwardRequest);
    if (!socket.waitForBytesWritten(callTimeoutMs))
        return false;
    QDeadlineTimer deadline(callTimeoutMs);
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return false;
    }
    return socket.readLine(64) == comingAnswer;
}
