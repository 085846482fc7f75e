#include "domains/domainlist.h"

#include "domains/pathkind.h"
#include "domains/productsite.h"
#include "domains/textfile.h"
#include "engine/bytetext.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <vector>

using namespace Qt::StringLiterals;

DomainList::DomainList(QString filePath, QList<QByteArray> countFields)
    : m_filePath(std::move(filePath))
    , m_countFields(std::move(countFields))
{
}

QList<QByteArray> DomainList::defaultCountFields()
{
    QList<QByteArray> fields;
    for (const EngineDefinition& engine : engineDefinitions())
        fields.append(engine.name.toLatin1());
    return fields;
}

namespace {

// The value of a record's field-th count field: the field-th "|" counted from the second character, then the
// text between the next "=" and "|" (or the record's end), spaces trimmed. Empty when the record lacks the field.
QByteArrayView fieldValue(QByteArrayView text, int field)
{
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
    return trimSpaces(text.sliced(equals + 1, end - equals - 1));
}

// Where the domain lies in a record: before the first "|", without an "http://" prefix there, spaces trimmed.
std::pair<qsizetype, qsizetype> domainSpan(QByteArrayView text, bool first)
{
    qsizetype start = 0;
    // A byte-order mark that an editor put at the start of the file belongs to no domain.
    if (first && text.startsWith(DomainList::ByteOrderMark))
        start = DomainList::ByteOrderMark.size();
    qsizetype end = text.indexOf('|', start);
    if (end >= 0 && startsWithIgnoringCase(text.sliced(start, end - start), "http://"))
        start += 7;
    if (end < 0)
        end = text.size();
    const QByteArrayView domain = trimSpaces(text.sliced(start, end - start));
    return {domain.isEmpty() ? start : qsizetype(domain.data() - text.data()), domain.size()};
}

} // namespace

QByteArrayView DomainList::bytes(const Record& record) const
{
    return QByteArrayView(record.added ? m_addedBytes : m_fileBytes).sliced(record.offset, record.length);
}

void DomainList::addRecord(Record record, bool first)
{
    const QByteArrayView text = bytes(record);
    if (!record.changed) {
        const auto [offset, length] = domainSpan(text, first);
        record.domainOffset = offset;
        record.domainLength = length;
    }
    m_records.append(record);
    if (m_indexed)
        index(count());
    const int sources = sourceCount();
    if (record.changed) {
        m_counts.insert(m_counts.size(), sources, 0);
        return;
    }
    for (int source = 0; source < sources; ++source) {
        const QByteArrayView value = text.isEmpty() ? QByteArrayView() : fieldValue(text, source + 1);
        if (value.isEmpty()) {
            m_counts.append(NoCount);
            continue;
        }
        const std::optional<qint64> count = CountText::parseFileCount(value);
        m_counts.append(count ? *count : UnreadCount);
    }
}

void DomainList::append(QByteArrayView line)
{
    Record record{m_addedBytes.size(), line.size()};
    record.added = true;
    m_addedBytes.append(line);
    addRecord(record, m_records.isEmpty());
}

void DomainList::appendDomain(QByteArrayView domain)
{
    Record record{m_addedBytes.size(), domain.size(), 0, domain.size(), true, true};
    m_addedBytes.append(domain);
    addRecord(record, false);
}

void DomainList::readContents(QByteArray contents)
{
    clear();
    m_fileBytes = std::move(contents);
    const char* const begin = m_fileBytes.constData();
    const char* const end = begin + m_fileBytes.size();
    qsizetype lines = std::count(begin, end, '\n') + 1;
    m_records.reserve(lines);
    m_counts.reserve(lines * sourceCount());
    for (const char* line = begin; line < end;) {
        const char* const lineEnd = std::find_if(line, end, [](char c) { return c == '\r' || c == '\n'; });
        addRecord(Record{line - begin, lineEnd - line}, line == begin);
        line = lineEnd + 1;
        if (lineEnd + 1 < end && lineEnd[0] == '\r' && lineEnd[1] == '\n')
            ++line;
    }
}

void DomainList::clear()
{
    m_indexed = false;
    m_records.clear();
    m_counts.clear();
    m_fileBytes.clear();
    m_addedBytes.clear();
}

QByteArray DomainList::entry(int record) const
{
    const Record& r = m_records.at(record - 1);
    if (!r.changed)
        return bytes(r).toByteArray();
    QByteArray text = domain(record).toByteArray();
    text += '|';
    for (int source = 0; source < sourceCount(); ++source) {
        text += m_countFields.at(source);
        text += '=';
        text += countText(record, source);
        text += '|';
    }
    return text;
}

QByteArrayView DomainList::domain(int record) const
{
    const Record& r = m_records.at(record - 1);
    return bytes(r).sliced(r.domainOffset, r.domainLength);
}

DomainList::CountState DomainList::countState(int record, int source) const
{
    const qint64 slot = countSlot(record, source);
    return slot >= 0 ? CountState::Number : slot == NoCount ? CountState::None : CountState::Unread;
}

std::optional<qint64> DomainList::countValue(int record, int source) const
{
    const qint64 slot = countSlot(record, source);
    return slot >= 0 ? std::optional(slot) : std::nullopt;
}

qint64 DomainList::total(int record) const
{
    qint64 sum = 0;
    for (int source = 0; source < sourceCount(); ++source)
        sum += std::max(countSlot(record, source), qint64(0));
    return sum;
}

QByteArray DomainList::countText(int record, int source) const
{
    const Record& r = m_records.at(record - 1);
    const qint64 slot = countSlot(record, source);
    if (slot == NoCount)
        return {};
    // Text that is no count, and a count nobody changed, stay as the file wrote them.
    if (slot == UnreadCount || !r.changed)
        return fieldValue(bytes(r), source + 1).toByteArray();
    return CountText::fileForm(slot);
}

void DomainList::setCount(int record, int source, qint64 value)
{
    qint64& slot = countSlot(record, source);
    if (slot == value)
        return;
    Record& r = m_records[record - 1];
    slot = value;
    r.changed = true;
}

bool DomainList::fillMissingCounts(int record)
{
    bool filled = false;
    for (int source = 0; source < sourceCount(); ++source) {
        if (countSlot(record, source) == NoCount) {
            setCount(record, source, 0);
            filled = true;
        }
    }
    return filled;
}

void DomainList::removeRecords(const QList<int>& records)
{
    std::vector<bool> removed(std::size_t(m_records.size()), false);
    for (const int record : records) {
        if (record >= 1 && record <= count())
            removed[std::size_t(record - 1)] = true;
    }
    const qsizetype sources = sourceCount();
    qsizetype kept = 0;
    for (qsizetype at = 0; at < m_records.size(); ++at) {
        if (removed[std::size_t(at)])
            continue;
        m_records[kept] = m_records[at];
        std::copy_n(m_counts.cbegin() + at * sources, sources, m_counts.begin() + kept * sources);
        ++kept;
    }
    m_records.resize(kept);
    m_counts.resize(kept * sources);
    m_indexed = false;
}

void DomainList::index(int record) const
{
    const QByteArrayView name = domain(record);
    if (!name.isEmpty())
        m_index.insert(qHash(domainKey(textFromBytes(name))), record);
}

int DomainList::findDomain(QStringView name) const
{
    if (!m_indexed) {
        m_index.clear();
        m_index.reserve(count());
        for (int record = 1; record <= count(); ++record)
            index(record);
        m_indexed = true;
    }
    const QString key = domainKey(name);
    int found = -1;
    for (auto it = m_index.constFind(qHash(key)); it != m_index.cend() && it.key() == qHash(key); ++it) {
        if ((found == -1 || it.value() < found) && domainKey(textFromBytes(domain(it.value()))) == key)
            found = it.value();
    }
    return found;
}

DomainList::LoadResult DomainList::LoadDomainList(NewList newList)
{
    const auto refuse = [this](LoadResult result) {
        m_refusedFile = m_filePath;
        m_saveRefusal = result == LoadResult::NotAFile
                            ? m_errorString
                            : u"the file could not be read at start-up and is left as it is"_s;
        clear();
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
        readContents(*std::move(contents));
        return LoadResult::Loaded;
    }
    case PathKind::Missing:
        clear();
        if (newList == NewList::EmptyUnsaved)
            return LoadResult::CreatedDefault;
        appendDomain(ProductSite::DefaultDomain);
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
    if (!canSave()) {
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
    // Written a megabyte at a time, so that a long list needs no second copy in memory.
    constexpr qsizetype chunk = 1 << 20;
    QByteArray contents;
    contents.reserve(chunk + 4096);
    for (int record = 1; record <= count(); ++record) {
        const Record& r = m_records.at(record - 1);
        contents += r.changed ? QByteArrayView(entry(record)) : bytes(r);
        contents += "\r\n";
        if (contents.size() >= chunk || record == count()) {
            if (file.write(contents) != contents.size()) {
                m_errorString = qt_error_string(errno);
                return false; // the temporary file is discarded; the old one stays
            }
            contents.resize(0);
        }
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
    if (field == 0)
        return domain(record).toByteArray();
    if (field > sourceCount())
        return fieldValue(bytes(m_records.at(record - 1)), field).toByteArray();
    return countText(record, field - 1);
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

QList<QByteArray> DomainList::distinctDomains() const
{
    QList<QByteArray> domains;
    QSet<QByteArrayView> seen;
    for (int record = 1; record <= count(); ++record) {
        const QByteArrayView domain = this->domain(record);
        if (!domain.isEmpty() && !seen.contains(domain)) {
            seen.insert(domain);
            domains.append(domain.toByteArray());
        }
    }
    return domains;
}
