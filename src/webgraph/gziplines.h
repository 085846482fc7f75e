#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <memory>

struct z_stream_s;

// Splits a gzip stream, fed in pieces as it comes, into its lines (without "\n"), each given to a handler while
// the bytes are in hand: the stream is never whole in memory. Members written one after another read as one
// stream, as gzip reads them.
class GzipLines {
public:
    // Takes a line; false stops the reading.
    using LineHandler = std::function<bool(QByteArrayView line)>;

    explicit GzipLines(LineHandler handler);
    ~GzipLines();
    GzipLines(const GzipLines&) = delete;
    GzipLines& operator=(const GzipLines&) = delete;

    // Decompresses the next piece of the file and hands on the lines it completes. False when the data is not
    // gzip or is damaged (error() says how), or when the handler stopped.
    bool feed(QByteArrayView compressed);
    // The file has ended: hands on a last line without "\n". False when the stream ended short of its end (a file
    // cut off) or nothing came.
    bool finish();

    const QByteArray& error() const { return m_error; }
    qint64 decompressedBytes() const { return m_decompressed; }
    qint64 lines() const { return m_lines; }

private:
    bool handOn(const char* data, qsizetype size);

    LineHandler m_handler;
    std::unique_ptr<z_stream_s> m_stream;
    QByteArray m_out;     // the inflate buffer
    QByteArray m_partial; // a line begun in an earlier buffer
    QByteArray m_error;
    bool m_started = false;   // bytes of a member came
    bool m_memberEnd = false; // the last member ended and no byte followed yet
    bool m_failed = false;
    qint64 m_decompressed = 0;
    qint64 m_lines = 0;
};
