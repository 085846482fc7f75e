#pragma once

#include "net/busypointer.h"
#include "net/posixsocket.h"

#include <QByteArrayList>
#include <QtEndian>

#include <chrono>
#include <memory>
#include <vector>

using namespace std::chrono_literals;

// Names ending in ".invalid" cannot be resolved; every other name is 127.0.0.1. Port 80 goes to the ports
// given, one per connect, the last one again and again; other ports are dialled as they are.
struct LoopbackRoute {
    std::vector<int> ports;
    std::chrono::milliseconds timeout = 10s;
    QByteArrayList namesResolved;
    int connects = 0;

    SocketSettings settings()
    {
        SocketSettings settings;
        settings.timeout = timeout;
        settings.resolveName = [this](const QByteArray& name) -> std::optional<quint32> {
            namesResolved.append(name);
            if (name.endsWith(".invalid"))
                return std::nullopt;
            return quint32(0x7f000001);
        };
        settings.dialPort = [this](int remotePort) {
            if (remotePort != 80 || ports.empty())
                return remotePort;
            const std::size_t index = std::min(std::size_t(connects++), ports.size() - 1);
            return ports[index];
        };
        return settings;
    }
};

// The states the pointer was set to, in order.
class RecordingBusyPointer : public BusyPointer {
public:
    void setBusy(bool busy) override { states.push_back(busy); }
    std::vector<bool> states;
};

// What the sockets of a test did: how many were made and abandoned, and how many bytes they handed out.
struct SocketLog {
    int created = 0;
    int abandoned = 0;
    QByteArrayList hostSettings; // "address <host>" or "name <host>"
    qsizetype bytesReceived = 0;
};

// A PosixSocket that reports to a SocketLog.
class ObservedSocket final : public SocketControl {
public:
    ObservedSocket(std::unique_ptr<SocketControl> socket, SocketLog& log)
        : m_socket(std::move(socket))
        , m_log(log)
    {
        ++m_log.created;
    }
    bool IsConnected() const override { return m_socket->IsConnected(); }
    bool SetHostAddress(const QByteArray& address) override
    {
        m_log.hostSettings.append("address " + address);
        return m_socket->SetHostAddress(address);
    }
    bool SetHostName(const QByteArray& name) override
    {
        m_log.hostSettings.append("name " + name);
        return m_socket->SetHostName(name);
    }
    void SetRemotePort(int port) override { m_socket->SetRemotePort(port); }
    int Connect() override { return m_socket->Connect(); }
    int Disconnect() override { return m_socket->Disconnect(); }
    int Send(const QByteArray& data) override { return m_socket->Send(data); }
    int Receive(QByteArray& buffer, int maxCount) override
    {
        const int count = m_socket->Receive(buffer, maxCount);
        m_log.bytesReceived += std::max(count, 0);
        return count;
    }
    bool IsFinished() const override { return m_socket->IsFinished(); }
    void Abandon() override
    {
        ++m_log.abandoned;
        m_socket->Abandon();
    }

private:
    std::unique_ptr<SocketControl> m_socket;
    SocketLog& m_log;
};
