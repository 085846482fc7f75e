#pragma once

#include "domains/historystore.h"

#include <QIODevice>
#include <QString>

#include <optional>

// The file an export of the history is written to, and an import reads: the whole history, runs oldest first.
//
// CSV: a header line, then one line per fetch:
//   run_started,run_ended,front_end,cancelled,domain,engine,at,count,failure,detail
// a run without fetches as one line with the fields from domain on empty. JSON:
//   {"brenlowHistory":1,"runs":[{"started":…,"ended":…,"frontEnd":"window","cancelled":false,
//    "fetches":[{"domain":…,"engine":"Google","at":…,"count":123},
//               {"domain":…,"engine":…,"at":…,"failure":"error-status","detail":"503 Service Unavailable"}]}]}
// Times are ISO 8601 in UTC to the millisecond ("2026-12-07T09:30:00.000Z"), an unknown end empty or null;
// front ends "window" or "command-line"; engines by name; failures by failureKindName(). A domain's bytes go
// as they are when they are printable ASCII other than "%", and as "%" and two hex digits otherwise.
enum class HistoryFormat { Csv, Json };

// The format a file name asks for by its extension (".csv", ".json", in any case); nothing for another.
std::optional<HistoryFormat> historyFormatOf(const QString& fileName);

// Writes runs one at a time as they come, so that an export never holds the whole history.
class HistoryWriter {
public:
    HistoryWriter(QIODevice& out, HistoryFormat format);
    bool write(const HistoryRun& run);
    // Ends the file (JSON's closing brackets). False when a write failed.
    bool finish();

private:
    bool put(const QByteArray& bytes);

    QIODevice& m_out;
    HistoryFormat m_format;
    bool m_first = true;
    bool m_ok = true;
};

// Reads a history file and hands its runs to visit, one at a time. False, with error set ("line 12: no such
// engine: Foo"), when the file is not such a history or visit returned false.
bool readHistoryFile(QIODevice& in, HistoryFormat format, const HistoryStore::RunVisitor& visit, QString& error);

// The whole history written to out; false with error set when the history could not be read or out written.
bool exportHistory(HistoryStore& store, QIODevice& out, HistoryFormat format, QString& error);
// A history file read into store in one transaction; the fetches added, or nothing with error set (nothing of it
// is then kept).
std::optional<qint64> importHistory(HistoryStore& store, QIODevice& in, HistoryFormat format, QString& error);

// A field of a CSV record: in double quotes, its quotes doubled, when it holds a comma, a quote or a line break.
QByteArray csvField(const QByteArray& bytes);

// A domain as an export writes it, and back (nothing for text that is no such encoding).
QString historyDomainText(const QByteArray& domain);
std::optional<QByteArray> historyDomainBytes(QStringView text);
