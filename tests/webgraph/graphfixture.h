#pragma once

#include "support/httptestserver.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The bytes gzip makes of data, as one member (or two, split at the middle).
QByteArray gzipped(QByteArrayView data, bool twoMembers = false);

// Two releases of a small domain graph in the real files' format, written out by hand so that every figure a test
// expects can be counted on paper:
//
//   id  domain            hosts  harmonic pos / value   PageRank pos / value   linked from
//   0   example.com       3      1  2.9799486E7          2  0.0123              2 3 4 5 (4 domains)
//   1   only-linked.com   1      4  5.0E6                3  0.005               4       (1)
//   2   other.com         2      3  9876543.0            4  0.001               0       (1)
//   3   xn--bcher-kva.de  1      5  1234.5               6  1.5E-9              none    (0)
//   4   linker.org        1      6  1000.0               5  2.0E-9              none    (0)
//   5   example.co.uk     4      2  1.5E7                1  0.02                0 4     (2)
//
// The older release holds example.com alone, at position 7 of 9 with 2 hosts.
namespace graphfixture {

inline constexpr char Newest[] = "cc-main-2026-apr-may-jun";
inline constexpr char Older[] = "cc-main-2026-jan-feb-mar";

QByteArray index(); // graphinfo.json, newest first
QByteArray ranks(const char* release);
QByteArray vertices(const char* release);
QByteArray edges(const char* release);

// The path of a release file under the data base ("/projects/hyperlinkgraph/<id>/domain/<id>-domain-ranks.txt.gz").
QByteArray path(const char* release, const char* file);

// Serves the index at /graphinfo.json and both releases' files, gzipped, as a file server does.
void serve(HttpTestServer& server);
// Writes both releases' files under folder as a user's download would lay them out.
bool writeTo(const QString& folder);

} // namespace graphfixture
