#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>

// Where the command line writes: results to standard output as bytes (domains as they stand in the list),
// messages to standard error prefixed with the program's name.
class Console {
public:
    Console(std::FILE* out, std::FILE* err)
        : m_out(out)
        , m_err(err)
    {
    }

    void print(const QByteArray& bytes) const { std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), m_out); }
    void error(const QString& message) const
    {
        const QByteArray line = "brenlow-cli: " + message.toUtf8() + '\n';
        std::fwrite(line.constData(), 1, std::size_t(line.size()), m_err);
    }
    std::FILE* err() const { return m_err; }

private:
    std::FILE* m_out;
    std::FILE* m_err;
};
