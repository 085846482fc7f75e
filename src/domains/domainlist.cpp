#include "domains/domainlist.h"

#include "domains/pathkind.h"
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

DomainList::LoadResult DomainList::LoadDomainList(const EngineTables::Headers& gridHeaders, NewList newList)
{
    const auto refuse = [this](LoadResult result) {
        m_fileUnreadable = true;
        m_saveRefusal = result == LoadResult::NotAFile
                            ? m_errorString
                            : u"the file could not be read at start-up and is left as it is"_s;
        m_entries.clear();
        return result;
    };
    switch (pathKind(m_filePath)) {
    case PathKind::Unsearchable:
        // A folder that cannot be searched hides whether the list is there: creating a new one would overwrite it.
        m_errorString = qt_error_string(errno);
        return refuse(LoadResult::FolderUnreadable);
    case PathKind::RegularFile: {
        const std::optional<QByteArray> contents = readTextFile(m_filePath, m_errorString);
        if (!contents)
            return refuse(LoadResult::Unreadable);
        m_entries = splitLines(*contents);
        return LoadResult::Loaded;
    }
    case PathKind::Missing:
        m_entries = {zeroCountRecord(ProductSite::DefaultDomain, gridHeaders)};
        if (newList == NewList::KeepUnsaved)
            return LoadResult::CreatedDefault;
        return SaveDomainList() ? LoadResult::CreatedDefault : LoadResult::DefaultNotSaved;
    default:
        m_errorString = notAFileText();
        return refuse(LoadResult::NotAFile);
    }
}

QString DomainList::notAFileText() const
{
    return pathKindClause(m_filePath, pathKind(m_filePath)) + u", not a list file; it is left as it is"_s;
}

bool DomainList::SaveDomainList()
{
    if (m_fileUnreadable) {
        m_errorString = m_saveRefusal;
        return false;
    }
    const PathKind kind = pathKind(m_filePath);
    if (kind != PathKind::RegularFile && kind != PathKind::Missing) {
        m_errorString = notAFileText();
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
        // A byte-order mark that an editor put at the start of the file belongs to no domain.
        QByteArrayView domain(text);
        if (record == 1 && domain.startsWith(ByteOrderMark))
            domain = domain.sliced(ByteOrderMark.size());
        const qsizetype bar = domain.indexOf('|');
        if (bar < 0)
            return trimSpaces(domain).toByteArray();
        return trimSpaces(StripSchemePrefix(domain.first(bar).toByteArray())).toByteArray();
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
    // The last field of a record edited by hand may lack its closing "|": it ends with the line.
    qsizetype end = text.indexOf('|', equals + 1);
    if (end < 0)
        end = text.size();
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
