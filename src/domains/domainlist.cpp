#include "domains/domainlist.h"

#include "domains/productsite.h"
#include "domains/textfile.h"
#include "engine/bytetext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <vector>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

DomainList::DomainList(QString filePath)
    : m_filePath(std::move(filePath))
{
}

void DomainList::removeRecords(const QList<int>& records)
{
    std::vector<bool> removed(std::size_t(m_entries.size()), false);
    for (const int record : records) {
        if (record >= 1 && record <= count())
            removed[std::size_t(record - 1)] = true;
    }
    qsizetype kept = 0;
    for (qsizetype at = 0; at < m_entries.size(); ++at) {
        if (!removed[std::size_t(at)])
            m_entries[kept++] = std::move(m_entries[at]);
    }
    m_entries.resize(kept);
}

DomainList::LoadResult DomainList::LoadDomainList(const EngineTables::Headers& gridHeaders)
{
    // A folder that cannot be searched hides whether the list is there: creating a new one would overwrite it.
    struct stat status {};
    if (::stat(QFile::encodeName(m_filePath).constData(), &status) != 0 && errno != ENOENT) {
        m_errorString = qt_error_string(errno);
        m_fileUnreadable = true;
        m_entries.clear();
        return LoadResult::FolderUnreadable;
    }
    if (FileExists(m_filePath)) {
        const std::optional<QByteArray> contents = readTextFile(m_filePath, m_errorString);
        if (!contents) {
            m_fileUnreadable = true;
            m_entries.clear();
            return LoadResult::Unreadable;
        }
        m_entries = splitLines(*contents);
        return LoadResult::Loaded;
    }

    m_entries = {zeroCountRecord(ProductSite::DefaultDomain, gridHeaders)};
    return SaveDomainList() ? LoadResult::CreatedDefault : LoadResult::DefaultNotSaved;
}

bool DomainList::SaveDomainList()
{
    if (m_fileUnreadable) {
        m_errorString = u"the file could not be read at start-up and is left as it is"_s;
        return false;
    }
    // The data folder is made when the list is first saved.
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(folder)) {
        m_errorString = u"the folder %1 cannot be created"_s.arg(folder);
        return false;
    }
    // Unbuffered, a short write (disk full, file too large) shows in write()'s result; through the buffer it
    // would be lost and the truncated file committed.
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_errorString = file.errorString();
        return false;
    }
    QByteArray contents;
    qsizetype size = 0;
    for (const QByteArray& record : m_entries)
        size += record.size() + 2;
    contents.reserve(size);
    for (const QByteArray& record : m_entries) {
        contents += record;
        contents += "\r\n";
    }
    if (file.write(contents) != contents.size()) {
        m_errorString = qt_error_string(errno);
        return false; // the temporary file is discarded; the old one stays
    }
    if (!file.commit()) {
        m_errorString = file.errorString();
        return false;
    }
    return true;
}

QByteArray DomainList::GetDomainField(int record, int field) const
{
    if (record < 1 || record > count())
        return "0"_ba;
    const QByteArray& text = entry(record);
    if (text.isEmpty())
        return {};

    if (field == 0) {
        const qsizetype bar = text.indexOf('|');
        if (bar < 0)
            return trimSpaces(text).toByteArray();
        return trimSpaces(StripSchemePrefix(text.first(bar))).toByteArray();
    }

    // The field-th "|" counted from the second character, then the value between the next "=" and "|".
    qsizetype bar = 0;
    for (int k = 0; k < field; ++k) {
        bar = text.indexOf('|', bar + 1);
        if (bar < 0)
            return {};
    }
    const qsizetype equals = text.indexOf('=', bar + 1);
    if (equals < 0)
        return {};
    const qsizetype end = text.indexOf('|', equals + 1);
    if (end < 0)
        return {};
    return trimSpaces(QByteArrayView(text).sliced(equals + 1, end - equals - 1)).toByteArray();
}

bool DomainList::FileExists(const QString& path)
{
    if (path.trimmed().isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

QByteArray DomainList::StripSchemePrefix(QByteArray text)
{
    if (startsWithIgnoringCase(text, "http://"))
        text.remove(0, 7);
    return text;
}

QList<QByteArray> DomainList::splitLines(const QByteArray& contents)
{
    QList<QByteArray> lines;
    const char* const begin = contents.constData();
    const char* const end = begin + contents.size();
    for (const char* line = begin; line < end;) {
        const char* const lineEnd = std::find_if(line, end, [](char c) { return c == '\r' || c == '\n'; });
        lines.append(contents.sliced(line - begin, lineEnd - line));
        line = lineEnd + 1;
        if (lineEnd + 1 < end && lineEnd[0] == '\r' && lineEnd[1] == '\n')
            ++line;
    }
    return lines;
}

QByteArray DomainList::zeroCountRecord(const QByteArray& domain, const EngineTables::Headers& gridHeaders)
{
    QByteArray record = domain + '|';
    for (int slot = 2; slot < GridHeaderCount - 1; ++slot)
        record += gridHeaders.at(slot).toLocal8Bit() + "=0|";
    return record;
}
