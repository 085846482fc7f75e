#pragma once

#include "history/historystore.h"

#include <QIODevice>
#include <QString>

#include <functional>
#include <optional>

// The file an export of the history is written to, and an import reads: the whole history, runs oldest first,
// then the web graph's releases in the order they were first kept, with what each says of the domains.
//
// CSV (RFC 4180, CR LF): a header line, then one line per fetch:
//   run,run_started,run_ended,front_end,cancelled,domain,engine,at,count,failure,detail,kept
// a run without fetches as one line with the fields from domain on empty. When the history holds a release, a
// blank line and a section of its own follow, one line per release and domain:
//   release,crawls,release_domains,release_links,domain,name,found,harmonic_rank,harmonic_value,pagerank_rank,
//   pagerank_value,hosts,linking_domains,read_at
// a release that says nothing of any domain as one line with the fields from domain on empty. A history without
// releases exports as earlier versions did, so that they read it. JSON:
//   {"brenlowHistory":4,"runs":[{"id":…,"started":…,"ended":…,"frontEnd":"window","cancelled":false,
//    "fetches":[{"domain":…,"engine":"Google","at":…,"count":123},
//               {"domain":…,"engine":…,"at":…,"failure":"error-status","detail":"503 Service Unavailable",
//                "kept":120}]}],
//    "webgraph":[{"release":"cc-main-2026-jan-feb-mar","crawls":["CC-MAIN-2026-05",…],"domains":…,"links":…,
//                 "figures":[{"domain":…,"name":"example.com","found":true,"harmonicRank":1,"harmonicValue":…,
//                             "pageRankRank":2,"pageRankValue":0.0123,"hosts":3,"linkingDomains":4,"readAt":…},
//                            {"domain":…,"name":…,"found":false,"readAt":…}]}]}
// The members of JSON are named as the CSV's columns are; kept is the count a failed fetch's row kept, if any;
// linking domains are left out when they were not counted, and the figures of a domain the release does not
// hold. The exports of earlier versions (CSV without kept, or without run too; JSON of version 1 to 3) import as
// well.
// A run's identity tells runs apart (the files of Brenlow 1.2 have none: their runs are told apart by their
// start); times are ISO 8601 in UTC to the millisecond ("2026-12-07T09:30:00.000Z"), an unknown end empty or
// null; front ends "window" or "command-line"; engines by name; failures by failureKindName(). A domain's bytes
// go as they are when they are printable ASCII other than "%", and as "%" and two hex digits otherwise.
enum class HistoryFormat { Csv, Json };

// The format a file name asks for by its extension (".csv", ".json", in any case); nothing for another.
std::optional<HistoryFormat> historyFormatOf(const QString& fileName);

// Writes runs one at a time as they come, then the releases and their figures, so that an export never holds the
// whole history.
class HistoryWriter {
public:
    HistoryWriter(QIODevice& out, HistoryFormat format);
    bool write(const HistoryRun& run);
    // A release after the runs, and then each of its figures.
    bool writeRelease(const GraphRelease& release);
    bool writeFigures(const QByteArray& domain, const GraphFigures& figures);
    // Ends the file (JSON's closing brackets). False when a write failed.
    bool finish();

private:
    bool put(const QByteArray& bytes);
    // The file's start, once.
    QByteArray begin();
    // What ends the runs and begins the releases, once.
    QByteArray beginReleases();
    // What ends the release before.
    QByteArray endRelease();

    QIODevice& m_out;
    HistoryFormat m_format;
    bool m_first = true;
    bool m_ok = true;
    qint64 m_runs = 0;
    bool m_inReleases = false;
    qint64 m_releases = 0;
    qint64 m_figures = 0; // of the release being written
    GraphRelease m_release;
};

// Asked between runs and between lines: true ends an export or an import (a termination signal came).
using StopRequested = std::function<bool()>;

// The whole history written to out; false with error set when the history could not be read, out written or
// stop said so.
bool exportHistory(HistoryStore& store, QIODevice& out, HistoryFormat format, QString& error,
                   const StopRequested& stop = {});
// A history file read into store in one transaction, its lines in any order: the fetches added, or nothing with
// error set ("line 12: no such engine: Foo"), and nothing of it kept, when it is not such a file, contradicts
// itself or the history, a write failed or stop said so. Memory is bounded by a run, not by the file.
std::optional<qint64> importHistory(HistoryStore& store, QIODevice& in, HistoryFormat format, QString& error,
                                    const StopRequested& stop = {});

// A field of a CSV record: in double quotes, its quotes doubled, when it holds a comma, a quote or a line break.
QByteArray csvField(const QByteArray& bytes);

// A domain as an export writes it, and back (nothing for text that is no such encoding).
QString historyDomainText(const QByteArray& domain);
std::optional<QByteArray> historyDomainBytes(QStringView text);
