#pragma once

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <cstdio>

// Where the command line reads and writes: results to standard output as bytes (domains as they stand in the list),
// messages to standard error prefixed with the program's name. A failed write to standard output (a full disk,
// a pipe whose reader has gone) is kept, so that the command can stop and say so.
class Console {
public:
    // inputClosed: standard input was closed when the program started (what stands in its place reads nothing).
    Console(std::FILE* out, std::FILE* err, std::FILE* in = stdin, bool inputClosed = false)
        : m_out(out)
        , m_err(err)
        , m_in(in)
        , m_inputClosed(inputClosed)
    {
    }

    // Writes to standard output unless an earlier write failed.
    void print(const QByteArray& bytes) const
    {
        if (m_outputError == 0 &&
            std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), m_out) != std::size_t(bytes.size()))
            m_outputError = errno != 0 ? errno : EIO;
    }
    void error(const QString& message) const
    {
        const QByteArray line = "brenlow-cli: " + message.toUtf8() + '\n';
        std::fwrite(line.constData(), 1, std::size_t(line.size()), m_err);
        std::fflush(m_err);
    }
    // Flushes standard output. 0 when everything written reached it, else the error (EPIPE: its reader is gone).
    int finishOutput() const
    {
        if (m_outputError == 0 && std::fflush(m_out) != 0)
            m_outputError = errno != 0 ? errno : EIO;
        return m_outputError;
    }
    bool outputFailed() const { return m_outputError != 0; }
    std::FILE* out() const { return m_out; }
    std::FILE* err() const { return m_err; }
    // Standard input, as import - reads it.
    std::FILE* in() const { return m_in; }
    bool inputClosed() const { return m_inputClosed; }

private:
    std::FILE* m_out;
    std::FILE* m_err;
    std::FILE* m_in;
    bool m_inputClosed;
    mutable int m_outputError = 0;
};
