#pragma once

#include "engine/enginecatalogue.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The user's domains with their last counts, one record per domain:
//   domain|AllTheWeb=count|AltaVista=count|Google=count|HotBot=count|MSN=count|
// Records are bytes as they stand in the list file; records are numbered from 1.
class DomainList {
public:
    enum class LoadResult {
        Loaded,           // the file was read
        CreatedDefault,   // there was no file; the default list was created and saved
        DefaultNotSaved,  // there was no file; the default list could not be saved
        Unreadable,       // the file exists but cannot be read; it will not be overwritten
        FolderUnreadable, // the folder cannot be searched for the file; nothing will be written there
        NotAFile,         // a directory, a FIFO, a device or a link to nothing is there; it is never replaced
    };
    // Whether a list made because there was none is saved at once (the window, which shows it) or only by the
    // first save (the command line, whose command may yet fail).
    enum class NewList { Save, KeepUnsaved };

    explicit DomainList(QString filePath);

    const QString& filePath() const { return m_filePath; }

    int count() const { return static_cast<int>(m_entries.size()); }
    const QByteArray& entry(int record) const { return m_entries.at(record - 1); }
    void setEntry(int record, QByteArray text) { m_entries[record - 1] = std::move(text); }
    void append(QByteArray record) { m_entries.append(std::move(record)); }
    // Removes one record; the later ones move up.
    void remove(int record) { m_entries.removeAt(record - 1); }
    // Removes the records named (numbers outside the list are ignored) in one pass over the list.
    void removeRecords(const QList<int>& records);
    void clear() { m_entries.clear(); }

    LoadResult LoadDomainList(const EngineTables::Headers& gridHeaders, NewList newList = NewList::Save);
    // Replaces the file atomically, making its folder first if need be: on failure the old file stays whole and
    // errorString() says why. Only a regular file is replaced (through a link to it, the file).
    bool SaveDomainList();
    // False once the file was found unreadable: saving would overwrite what the user has.
    bool canSave() const { return !m_fileUnreadable; }
    const QString& errorString() const { return m_errorString; }

    // A UTF-8 byte-order mark, which some editors put at the start of a text file. The first record keeps it, so
    // that the file keeps it while that record is not changed, but its domain does not hold it.
    static constexpr QByteArrayView ByteOrderMark{"\xEF\xBB\xBF"};

    // The domain (field 0, without an "http://" prefix) or the count text of engine field-1 of a record,
    // spaces trimmed; "0" for a record outside the list; empty when the record lacks the field. A last field
    // without its closing "|" ends with the record.
    QByteArray GetDomainField(int record, int field) const;

    static bool FileExists(const QString& path);
    static QByteArray StripSchemePrefix(QByteArray text);

    // Splits file contents into lines ended by CR LF, a lone CR or a lone LF.
    static QList<QByteArray> splitLines(const QByteArray& contents);
    static QByteArray zeroCountRecord(const QByteArray& domain, const EngineTables::Headers& gridHeaders);

private:
    QString notAFileText() const;

    QString m_filePath;
    QList<QByteArray> m_entries;
    bool m_fileUnreadable = false;
    QString m_saveRefusal; // why, once the file was found unreadable
    QString m_errorString;
};
