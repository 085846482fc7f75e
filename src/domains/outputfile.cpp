#include "domains/outputfile.h"

using namespace Qt::StringLiterals;

OutputFile::OutputFile(QString path, StreamDevice::Stop stop)
    : m_path(std::move(path))
    , m_stop(std::move(stop))
{
}

bool OutputFile::open()
{
    const PathKind kind = pathKind(m_path);
    if (isStream(kind)) {
        m_stream = StreamDevice::open(m_path, QIODevice::WriteOnly, m_stop, m_error);
        return m_stream != nullptr;
    }
    if (kind != PathKind::RegularFile && kind != PathKind::Missing) {
        m_error = pathKindClause(m_path, kind);
        return false;
    }
    // Through a link to a regular file, the file is replaced and the link stays.
    m_file.emplace(m_path);
    if (m_file->open(QIODevice::WriteOnly))
        return true;
    m_error = m_file->errorString();
    return false;
}

QIODevice& OutputFile::device()
{
    if (m_stream)
        return *m_stream;
    return *m_file;
}

bool OutputFile::commit()
{
    if (m_stream)
        return !m_stream->stopped();
    if (m_file->commit())
        return true;
    m_error = m_file->errorString();
    return false;
}

void OutputFile::cancel()
{
    if (m_file)
        m_file->cancelWriting();
}

QString OutputFile::errorString() const
{
    if (!m_error.isEmpty())
        return m_error;
    return m_stream ? m_stream->errorString() : m_file ? m_file->errorString() : QString();
}
