#pragma once

#include <QIODevice>

#include <algorithm>
#include <array>
#include <streambuf>

// A QIODevice as a stream buffer for the JSON parser, read in large blocks, that knows the line its reader is on.
class DeviceLineBuffer final : public std::streambuf {
public:
    explicit DeviceLineBuffer(QIODevice& in)
        : m_in(in)
    {
        setg(m_block.data(), m_block.data(), m_block.data());
    }

    qint64 line()
    {
        m_lines += std::count(m_counted, static_cast<const char*>(gptr()), '\n');
        m_counted = gptr();
        return m_lines + 1;
    }

protected:
    int_type underflow() override
    {
        line();
        const qint64 count = m_in.read(m_block.data(), qint64(m_block.size()));
        if (count <= 0)
            return traits_type::eof();
        setg(m_block.data(), m_block.data(), m_block.data() + count);
        m_counted = m_block.data();
        return traits_type::to_int_type(m_block[0]);
    }

private:
    QIODevice& m_in;
    std::array<char, 256 * 1024> m_block{};
    const char* m_counted = m_block.data();
    qint64 m_lines = 0;
};
