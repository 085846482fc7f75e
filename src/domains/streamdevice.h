#pragma once

#include <QIODevice>
#include <QString>

#include <cstdio>
#include <functional>
#include <memory>

// A FIFO, a terminal, another device or standard input as a sequential device. Every wait for the other end (a
// writer that has not come, a reader that does not read) lasts a slice of 100 ms at most and then asks stop, so
// that a termination signal ends a command within a second even while nothing moves. A read ends at end of
// input or at stop; reads and writes fail once stop says so.
class StreamDevice final : public QIODevice {
public:
    using Stop = std::function<bool()>;

    // Reads or writes a descriptor that stays open after the device goes (standard input, say).
    StreamDevice(int fd, OpenMode mode, Stop stop);
    // Reads a stream of the C library that has no descriptor (one in memory, as tests give for standard input).
    StreamDevice(std::FILE* memoryStream, Stop stop);
    ~StreamDevice() override;

    // Opens path, which is a FIFO or a device, to read or to write; waits for the other end of a FIFO. Null, with
    // error set, when it cannot be opened or stop said so first.
    static std::unique_ptr<StreamDevice> open(const QString& path, OpenMode mode, Stop stop, QString& error);

    bool isSequential() const override { return true; }
    bool atEnd() const override;
    // Whether stop ended a wait.
    bool stopped() const { return m_stopped; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    enum class Wait { Ready, Stopped, Failed };
    Wait waitFor(short events);

    int m_fd = -1;
    bool m_ownsFd = false;
    std::FILE* m_memoryStream = nullptr;
    Stop m_stop;
    bool m_ended = false;
    bool m_stopped = false;
};
