#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QMultiHash>
#include <QString>
#include <QStringView>

#include <optional>
#include <utility>

// The user's domains with their last counts: a table of records, one per line of the list file,
//   domain|AllTheWeb=count|AltaVista=count|Google=count|HotBot=count|MSN=count|
// Records are numbered from 1. Each holds the domain's bytes, per count source a count (a whole number), no count,
// or the text it holds that is no count (a hand-edited file), and the bytes it was read with: a record whose counts
// did not change is written back byte for byte. The file's bytes are kept whole and records point into them, so a
// long list costs little more than its file.
class DomainList {
public:
    enum class LoadResult {
        Loaded,           // the file was read
        CreatedDefault,   // there was no file; a new list was made (and saved, but for NewList::EmptyUnsaved)
        DefaultNotSaved,  // there was no file; the default list could not be saved
        Unreadable,       // the file exists but cannot be read; it will not be overwritten
        FolderUnreadable, // the folder cannot be searched for the file; nothing will be written there
        NotAFile,         // a directory, a FIFO, a device or a link to nothing is there; it is never replaced
    };
    // What a list made because there was none holds, and when it is saved: the window's holds the default domain
    // and is saved at once; the command line's holds only what its command adds and is saved only by the first
    // save, as its command may yet fail.
    enum class NewList { Save, EmptyUnsaved };

    // What a record holds for one source.
    enum class CountState : quint8 {
        None,   // the record lacks the field, or it is empty
        Number, // a count
        Unread, // text that is no count; shown as it stands, adding nothing to the total
    };

    // countFields: the names the record's count fields are written with, in order (the engines' by default).
    explicit DomainList(QString filePath, QList<QByteArray> countFields = defaultCountFields());

    static QList<QByteArray> defaultCountFields();

    const QString& filePath() const { return m_filePath; }
    int sourceCount() const { return int(m_countFields.size()); }
    const QList<QByteArray>& countFields() const { return m_countFields; }

    int count() const { return int(m_records.size()); }
    // The record as it is written to the file: as it was read while its counts did not change.
    QByteArray entry(int record) const;
    // The domain, without an "http://" prefix, spaces trimmed; empty for a blank record.
    QByteArrayView domain(int record) const;
    CountState countState(int record, int source) const;
    // The count of a source, when the record holds one.
    std::optional<qint64> countValue(int record, int source) const;
    // The sum of the record's counts; a field without a count adds 0.
    qint64 total(int record) const;
    // The text a field holds in the file: a count in the file's form, or the text that is no count.
    QByteArray countText(int record, int source) const;

    // Sets a count. A count equal to the one the record holds leaves the record as it was read.
    void setCount(int record, int source, qint64 value);
    // Writes 0 into every field of the record without a count or text; true when there was one.
    bool fillMissingCounts(int record);

    // A line of a list file, as the file held it.
    void append(QByteArrayView line);
    // A new domain, every count 0.
    void appendDomain(QByteArrayView domain);
    // Removes one record; the later ones move up.
    void remove(int record) { removeRecords({record}); }
    // Removes the records named (numbers outside the list are ignored) in one pass over the list.
    void removeRecords(const QList<int>& records);
    // Puts the records in a new order: order names every record once, the one that comes first first. Records
    // move whole and keep their bytes; a byte-order mark stays at the start of the file.
    void reorder(const QList<int>& order);
    void clear();

    // The first record whose domain reads as name (as the grid shows it), letter case ignored; -1 when none does.
    // The first call indexes the domains, so that each later one is a lookup.
    int findDomain(QStringView name) const;
    // The domains of the records, each once, in the list's order; blank records left out.
    QList<QByteArray> distinctDomains() const;

    LoadResult LoadDomainList(NewList newList = NewList::Save);
    // Replaces the file atomically, making its folder first if need be: on failure the old file stays whole and
    // errorString() says why. Only a regular file is replaced (through a link to it, the file).
    bool SaveDomainList();
    // False while the list's file is one found unreadable: saving would overwrite what the user has.
    bool canSave() const { return m_refusedFile.isEmpty() || m_refusedFile != m_filePath; }
    // Saves the list from now on to path (a file the user chose); a file found unreadable is still never saved over.
    void setFilePath(QString path) { m_filePath = std::move(path); }
    const QString& errorString() const { return m_errorString; }

    // A UTF-8 byte-order mark, which some editors put at the start of a text file. The first record keeps it, so
    // that the file keeps it while that record is not changed, but its domain does not hold it.
    static constexpr QByteArrayView ByteOrderMark{"\xEF\xBB\xBF"};

    // The domain (field 0) or the count text of source field-1 of a record, as the file holds them; "0" for a
    // record outside the list; empty when the record lacks the field.
    QByteArray GetDomainField(int record, int field) const;

    static bool FileExists(const QString& path);
    static QByteArray StripSchemePrefix(QByteArray text);

    // Splits file contents into lines ended by CR LF, a lone CR or a lone LF.
    static QList<QByteArray> splitLines(const QByteArray& contents);

private:
    // A record's bytes lie in m_fileBytes, or in m_addedBytes for a record added since.
    struct Record {
        qsizetype offset = 0;
        qsizetype length = 0;
        qsizetype domainOffset = 0; // from the record's start
        qsizetype domainLength = 0;
        bool added = false;
        bool changed = false; // written from its fields, not as it was read
    };
    static constexpr qint64 NoCount = -1;
    static constexpr qint64 UnreadCount = -2;

    QByteArrayView bytes(const Record& record) const;
    qint64& countSlot(int record, int source) { return m_counts[qsizetype(record - 1) * sourceCount() + source]; }
    qint64 countSlot(int record, int source) const { return m_counts[qsizetype(record - 1) * sourceCount() + source]; }
    void addRecord(Record record, bool first);
    static QString domainKey(QStringView text) { return text.toString().toLower(); }
    void index(int record) const;
    void readContents(QByteArray contents);
    QString notAFileText() const;

    QString m_filePath;
    QList<QByteArray> m_countFields;
    QByteArray m_fileBytes;
    QByteArray m_addedBytes;
    QList<Record> m_records;
    QList<qint64> m_counts; // sourceCount() per record: a count, NoCount or UnreadCount
    // The records by the hash of their domainKey(), once findDomain() has been asked; a hash, not the key, so that
    // a long list's index stays small.
    mutable QMultiHash<size_t, int> m_index;
    mutable bool m_indexed = false;
    QString m_refusedFile; // the file found unreadable, which is left as it is
    QString m_saveRefusal; // why
    QString m_errorString;
};
