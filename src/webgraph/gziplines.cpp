#include "webgraph/gziplines.h"

#include <zlib.h>

#include <cstring>

namespace {

// Large enough that inflate, not the handing on of lines, sets the pace.
constexpr qsizetype OutputBuffer = 256 * 1024;

} // namespace

GzipLines::GzipLines(LineHandler handler)
    : m_handler(std::move(handler))
    , m_stream(std::make_unique<z_stream_s>())
    , m_out(OutputBuffer, Qt::Uninitialized)
{
    std::memset(m_stream.get(), 0, sizeof(z_stream_s));
    // 16 + MAX_WBITS: a gzip header and trailer, checked.
    if (inflateInit2(m_stream.get(), 16 + MAX_WBITS) != Z_OK) {
        m_failed = true;
        m_error = "the decompressor could not be set up";
    }
}

GzipLines::~GzipLines()
{
    inflateEnd(m_stream.get());
}

bool GzipLines::feed(QByteArrayView compressed)
{
    if (m_failed)
        return false;
    z_stream_s& z = *m_stream;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    z.avail_in = uInt(compressed.size());
    while (z.avail_in > 0) {
        if (m_memberEnd) {
            // Another member follows the one that ended.
            inflateReset(&z);
            m_memberEnd = false;
        }
        m_started = true;
        z.next_out = reinterpret_cast<Bytef*>(m_out.data());
        z.avail_out = uInt(m_out.size());
        const int status = inflate(&z, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
            m_failed = true;
            m_error = z.msg ? QByteArray(z.msg) : QByteArray("the data is not gzip");
            return false;
        }
        const qsizetype produced = m_out.size() - qsizetype(z.avail_out);
        m_decompressed += produced;
        if (!handOn(m_out.constData(), produced))
            return false;
        if (status == Z_STREAM_END)
            m_memberEnd = true;
        else if (status == Z_BUF_ERROR && produced == 0)
            break;
    }
    return true;
}

bool GzipLines::handOn(const char* data, qsizetype size)
{
    const char* end = data + size;
    while (data < end) {
        const auto* newline = static_cast<const char*>(std::memchr(data, '\n', std::size_t(end - data)));
        if (!newline) {
            m_partial.append(data, end - data);
            return true;
        }
        ++m_lines;
        bool go;
        if (m_partial.isEmpty()) {
            go = m_handler(QByteArrayView(data, newline - data));
        } else {
            m_partial.append(data, newline - data);
            go = m_handler(m_partial);
            m_partial.clear();
        }
        if (!go) {
            m_failed = true;
            return false;
        }
        data = newline + 1;
    }
    return true;
}

bool GzipLines::finish()
{
    if (m_failed)
        return false;
    if (!m_started || !m_memberEnd) {
        m_failed = true;
        m_error = m_started ? "the file ends before its compressed data does" : "the file is empty";
        return false;
    }
    if (!m_partial.isEmpty()) {
        ++m_lines;
        const bool go = m_handler(m_partial);
        m_partial.clear();
        return go;
    }
    return true;
}
