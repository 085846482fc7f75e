#pragma once

// What the history's export and its reading share: the CSV header lines, the front ends' names, and the fields
// of a run and of a fetch as both formats hold them, read with the checks that keep out what Brenlow could never
// have written.

#include "history/historystore.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace historyfile {

inline const QByteArray csvHeader =
    QByteArrayLiteral("run,run_started,run_ended,front_end,cancelled,domain,engine,at,count,failure,detail,kept");
// What Brenlow 1.3 wrote, without the count a failed fetch's row kept.
inline const QByteArray csvHeaderVersion2 =
    QByteArrayLiteral("run,run_started,run_ended,front_end,cancelled,domain,engine,at,count,failure,detail");
// What Brenlow 1.2 wrote, without the run's identity either.
inline const QByteArray csvHeaderVersion1 =
    QByteArrayLiteral("run_started,run_ended,front_end,cancelled,domain,engine,at,count,failure,detail");
// Version 4 added the web graph's releases.
constexpr int JsonVersion = 4;

// Digits alone, up to largest; nothing for any other text.
std::optional<qint64> wholeNumber(QByteArrayView text, qint64 largest);

QString frontEndName(FrontEnd frontEnd);
std::optional<FrontEnd> frontEndFrom(QByteArrayView name);

// "2026-12-07T09:30:00.000Z", and back: a time in UTC to the millisecond, written out by hand as an export writes
// millions; nothing for any other text.
QByteArray timeBytes(const QDateTime& time);
std::optional<QDateTime> timeFrom(QByteArrayView text);

// A run from its fields; the reason it is none otherwise. identity empty: a file of version 1, whose runs are
// told apart by their start.
std::optional<HistoryRun> parseRun(QByteArrayView identity, QByteArrayView started, QByteArrayView ended,
                                   QByteArrayView frontEnd, QByteArrayView cancelled, QString& error);

struct ParsedFetch {
    QByteArray domain;
    int engine = 0;
    HistoryFetch fetch;
};
// A fetch from its fields; count empty when it failed, failure, detail and kept (the count the row kept, empty when
// it kept none) empty when it did not. The reason it is none otherwise.
std::optional<ParsedFetch> parseFetch(QByteArrayView domain, QByteArrayView engine, QByteArrayView at,
                                      QByteArrayView count, QByteArrayView failure, QByteArrayView detail,
                                      QByteArrayView kept, QString& error);

} // namespace historyfile
