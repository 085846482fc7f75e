#pragma once

#include "net/posixsocket.h"

#include <QByteArrayList>

#include <algorithm>
#include <utility>

using namespace std::chrono_literals;

// Names ending in ".invalid" cannot be resolved; every other name is 127.0.0.1. The n-th connect to port 80 goes
// to ports[n], the last one again and again; any other port is refused as invalid.
struct LoopbackRoute {
    explicit LoopbackRoute(std::vector<int> routedPorts, std::chrono::milliseconds waitLimit = 10s)
        : ports(std::move(routedPorts))
        , timeout(waitLimit)
    {
    }

    std::vector<int> ports;
    std::chrono::milliseconds timeout;
    NameResolver nameServer; // answers on the lookup thread instead of the loopback names, when set
    QByteArrayList namesResolved;
    std::vector<int> dialled;

    SocketSettings settings()
    {
        SocketSettings settings;
        settings.timeout = timeout;
        if (nameServer) {
            settings.resolveName = nameServer;
            settings.lookupOnThread = true;
        } else
            settings.resolveName = [this](const QByteArray& name) -> std::optional<quint32> {
                namesResolved.append(name);
                return name.endsWith(".invalid") ? std::nullopt : std::optional<quint32>(0x7f000001);
            };
        settings.dialPort = [this](int remotePort) {
            if (remotePort != 80)
                return 0;
            dialled.push_back(ports.at(std::min(dialled.size(), ports.size() - 1)));
            return dialled.back();
        };
        return settings;
    }
};
