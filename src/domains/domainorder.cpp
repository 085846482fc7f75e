#include "domains/domainlist.h"

void DomainList::reorder(const QList<int>& order)
{
    Q_ASSERT(order.size() == m_records.size());
    if (m_records.isEmpty())
        return;
    // The mark that an editor put at the start of the file came with the first record: it leaves the record
    // that moves away and goes to the one that takes its place, so the file still starts with it.
    Record& oldFirst = m_records.first();
    const bool marked = !oldFirst.changed && bytes(oldFirst).startsWith(ByteOrderMark) &&
                        oldFirst.domainOffset >= ByteOrderMark.size() && order.first() != 1;
    if (marked) {
        oldFirst.offset += ByteOrderMark.size();
        oldFirst.length -= ByteOrderMark.size();
        oldFirst.domainOffset -= ByteOrderMark.size();
    }

    const qsizetype sources = sourceCount();
    QList<Record> records;
    QList<qint64> counts;
    records.reserve(m_records.size());
    counts.reserve(m_counts.size());
    for (const int record : order) {
        records.append(m_records.at(record - 1));
        counts.append(m_counts.sliced(qsizetype(record - 1) * sources, sources));
    }
    m_records = std::move(records);
    m_counts = std::move(counts);
    m_indexed = false;

    Record& newFirst = m_records.first();
    if (marked && !newFirst.changed) {
        // The new first record is read again from bytes of its own that start with the mark.
        const QByteArray text = bytes(newFirst).toByteArray();
        newFirst.offset = m_addedBytes.size();
        newFirst.length += ByteOrderMark.size();
        newFirst.domainOffset += ByteOrderMark.size();
        newFirst.added = true;
        m_addedBytes.append(ByteOrderMark);
        m_addedBytes.append(text);
    }
}
