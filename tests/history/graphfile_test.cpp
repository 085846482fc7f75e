#include "history/historyfile.h"
#include "history/historystore.h"
#include "support/qtprinters.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using Figures = QList<std::pair<QByteArray, GraphFigures>>;

const QDateTime winterRead(QDate(2026, 12, 8), QTime(10, 0, 0, 125), Qt::UTC);
const GraphRelease winter{
    u"cc-main-2026-jan-feb-mar"_s, {u"CC-MAIN-2026-05"_s, u"CC-MAIN-2026-08"_s}, 118000000, 2900000000};
const GraphRelease spring{u"cc-main-2026-apr-may-jun"_s, {u"CC-MAIN-2026-17"_s}, 120000000, 3000000000};
const GraphRelease autumn{u"cc-main-2025-oct-nov-dec"_s, {u"CC-MAIN-2025-43"_s}, 100, 200};
// Linking domains counted for one domain; another domain not in the release; a release that says nothing.
const Figures winterFigures{{"www.example.com", {"example.com", true, 1, 2.9799486E7, 2, 0.0123, 3, 1234, winterRead}},
                            {"caf\xe9.com", {"xn--caf-dma.com", false, 0, 0, 0, 0, 0, std::nullopt, winterRead}}};
const Figures springFigures{
    {"www.example.com", {"example.com", true, 7, 0.1 + 0.2, 9, 1.5E-9, 4, std::nullopt, winterRead.addDays(1)}}};

const QByteArray runsHeader = "run,run_started,run_ended,front_end,cancelled,domain,engine,at,count,failure,detail,"
                              "kept\r\n";
const QByteArray graphHeader = "release,crawls,release_domains,release_links,domain,name,found,harmonic_rank,"
                               "harmonic_value,pagerank_rank,pagerank_value,hosts,linking_domains,read_at\r\n";
const QByteArray winterFields = "cc-main-2026-jan-feb-mar,CC-MAIN-2026-05 CC-MAIN-2026-08,118000000,2900000000,";

struct ScratchHistory {
    QTemporaryDir dir;
    HistoryStore store{dir.filePath(u"brenlow.txt"_s)};
    ScratchHistory() { EXPECT_TRUE(store.open(HistoryStore::Mode::Write)) << store.problemText().toStdString(); }

    QByteArray exported(HistoryFormat format)
    {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QString error;
        EXPECT_TRUE(exportHistory(store, out, format, error)) << error.toStdString();
        return out.data();
    }
    std::optional<qint64> imported(QByteArray bytes, HistoryFormat format, QString& error)
    {
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        return importHistory(store, in, format, error);
    }
    // What the history holds of a release, in the order of its domains.
    Figures figuresOf(const GraphRelease& wanted)
    {
        Figures held;
        EXPECT_TRUE(store.visitGraphFigures(
            {}, [&](const QByteArray& domain, const GraphRelease& release, const GraphFigures& figures) {
                if (release == wanted)
                    held.append({domain, figures});
            }));
        return held;
    }
};

TEST(HistoryGraphFile, ReleasesAndTheirFiguresImportIntoAnEmptyHistoryAsTheyWereRead)
{
    ScratchHistory original;
    ASSERT_TRUE(original.store.recordGraphRelease(winter, winterFigures));
    ASSERT_TRUE(original.store.recordGraphRelease(spring, springFigures));
    ASSERT_TRUE(original.store.recordGraphRelease(autumn, {}));
    const QByteArray csv = original.exported(HistoryFormat::Csv);
    EXPECT_EQ(csv.toStdString(),
              (runsHeader + "\r\n" + graphHeader + winterFields +
               "www.example.com,example.com,true,1,29799486.0,2,0.0123,3,1234,2026-12-08T10:00:00.125Z\r\n" +
               winterFields + "caf%E9.com,xn--caf-dma.com,false,,,,,,,2026-12-08T10:00:00.125Z\r\n" +
               "cc-main-2026-apr-may-jun,CC-MAIN-2026-17,120000000,3000000000,www.example.com,example.com,true,7,"
               "0.30000000000000004,9,1.5e-09,4,,2026-12-09T10:00:00.125Z\r\n"
               "cc-main-2025-oct-nov-dec,CC-MAIN-2025-43,100,200,,,,,,,,,,\r\n")
                  .toStdString());
    const QByteArray json = original.exported(HistoryFormat::Json);
    EXPECT_EQ(json.toStdString(),
              R"({"brenlowHistory":4,"runs":[],"webgraph":[
{"release":"cc-main-2026-jan-feb-mar","crawls":["CC-MAIN-2026-05","CC-MAIN-2026-08"],"domains":118000000,)"
              R"("links":2900000000,"figures":[
{"domain":"www.example.com","name":"example.com","found":true,"harmonicRank":1,"harmonicValue":29799486.0,)"
              R"("pageRankRank":2,"pageRankValue":0.0123,"hosts":3,"linkingDomains":1234,)"
              R"("readAt":"2026-12-08T10:00:00.125Z"},
{"domain":"caf%E9.com","name":"xn--caf-dma.com","found":false,"readAt":"2026-12-08T10:00:00.125Z"}
]},
{"release":"cc-main-2026-apr-may-jun","crawls":["CC-MAIN-2026-17"],"domains":120000000,"links":3000000000,)"
              R"("figures":[
{"domain":"www.example.com","name":"example.com","found":true,"harmonicRank":7,)"
              R"("harmonicValue":0.30000000000000004,"pageRankRank":9,"pageRankValue":1.5e-09,"hosts":4,)"
              R"("readAt":"2026-12-09T10:00:00.125Z"}
]},
{"release":"cc-main-2025-oct-nov-dec","crawls":["CC-MAIN-2025-43"],"domains":100,"links":200,"figures":[]}
]}
)");

    for (const auto& [format, file] : {std::pair(HistoryFormat::Csv, csv), std::pair(HistoryFormat::Json, json)}) {
        SCOPED_TRACE(file.toStdString());
        ScratchHistory copy;
        QString error;
        EXPECT_EQ(copy.imported(file, format, error), 0) << error.toStdString();
        EXPECT_EQ(copy.store.graphReleases(), (QList<GraphRelease>{winter, spring, autumn}));
        EXPECT_EQ(copy.figuresOf(winter), winterFigures);
        EXPECT_EQ(copy.figuresOf(spring), springFigures);
        EXPECT_EQ(copy.exported(format), file);
        EXPECT_EQ(copy.imported(file, format, error), 0) << error.toStdString();
        EXPECT_EQ(copy.exported(format), file);
    }
}

TEST(HistoryGraphFile, AnImportKeepsTheFiguresTheHistoryHoldsAndAddsLinkingDomainsNotCountedThen)
{
    ScratchHistory original;
    ASSERT_TRUE(original.store.recordGraphRelease(winter, winterFigures));
    Figures held = winterFigures;
    held[0].second.hosts = 99;
    held[0].second.linkingDomains.reset();
    ScratchHistory copy;
    ASSERT_TRUE(copy.store.recordGraphRelease(winter, held));
    QString error;
    EXPECT_EQ(copy.imported(original.exported(HistoryFormat::Json), HistoryFormat::Json, error), 0);
    held[0].second.linkingDomains = 1234;
    EXPECT_EQ(copy.figuresOf(winter), held);
}

TEST(HistoryGraphFile, ExportsOfTheVersionBeforeImportAsTheyDid)
{
    const QByteArray csv = runsHeader + "r1,2026-12-07T09:00:00.000Z,,window,false,a.com,Google,"
                                        "2026-12-07T09:01:00.000Z,5,,,\r\n";
    const QByteArray json =
        R"({"brenlowHistory":3,"runs":[
{"id":"r1","started":"2026-12-07T09:00:00.000Z","ended":null,"frontEnd":"window","cancelled":false,)"
        R"("fetches":[{"domain":"a.com","engine":"Google","at":"2026-12-07T09:01:00.000Z","count":5}]}
]}
)";
    for (const auto& [format, file] : {std::pair(HistoryFormat::Csv, csv), std::pair(HistoryFormat::Json, json)}) {
        ScratchHistory history;
        QString error;
        EXPECT_EQ(history.imported(file, format, error), 1) << error.toStdString();
        EXPECT_TRUE(history.store.graphReleases().isEmpty());
        // A history without releases exports as that version did, but for JSON's version and empty member.
        EXPECT_EQ(history.exported(HistoryFormat::Csv), csv);
        EXPECT_EQ(history.exported(HistoryFormat::Json),
                  QByteArray(json).replace("\":3,", "\":4,").replace("\n]}\n", "\n],\"webgraph\":[]}\n"));
    }
}

TEST(HistoryGraphFile, AReleaseOrFiguresThatBrenlowCouldNotHaveWrittenImportNothing)
{
    const QByteArray csv = runsHeader + "\r\n" + graphHeader + winterFields;
    const QByteArray line = "a.com,a.com,true,1,2.5,2,0.5,3,,2026-12-08T10:00:00.125Z\r\n";
    const QByteArray json = R"({"brenlowHistory":4,"runs":[],"webgraph":[{"release":"r","crawls":[],"domains":1,)";
    const QByteArray figures = R"("links":2,"figures":[{"domain":"a.com","name":"a.com","found":true,)"
                               R"("harmonicRank":1,"harmonicValue":2.5,"pageRankRank":2,"pageRankValue":0.5,)"
                               R"("hosts":3,"readAt":"2026-12-08T10:00:00.125Z")";
    const struct {
        HistoryFormat format;
        QByteArray bytes;
        QString error;
    } cases[] = {
        {HistoryFormat::Csv, csv + QByteArray(line).replace("true", "false"),
         u"line 4: a position by harmonic centrality of a domain the release does not hold: 1"_s},
        {HistoryFormat::Csv, csv + QByteArray(line).replace(",2.5,", ",nan,"),
         u"line 4: not a harmonic centrality: nan"_s},
        {HistoryFormat::Csv, csv + QByteArray(line).replace(",3,,", ",,,"),
         u"line 4: no number of hosts of a domain the release holds"_s},
        {HistoryFormat::Csv, QByteArray(csv).replace("cc-main-2026-jan-feb-mar", "../x") + line,
         u"line 4: not a release of the web graph: ../x"_s},
        {HistoryFormat::Csv, runsHeader + graphHeader + "r,,1,2\r\n", u"line 3: 4 fields where there should be 14"_s},
        {HistoryFormat::Json, json + figures + ",\"colour\":1}]}]}",
         u"line 1: no such member of a release's figures: colour"_s},
        {HistoryFormat::Json, json + QByteArray(figures).replace("\"harmonicRank\":1", "\"harmonicRank\":1.5"),
         u"line 1: not a whole number: 1.5"_s},
        {HistoryFormat::Json, json + "\"figures\":[]}]}",
         u"line 1: a release without its release, crawls, domains or links"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        ScratchHistory history;
        QString error;
        EXPECT_EQ(history.imported(c.bytes, c.format, error), std::nullopt);
        EXPECT_EQ(error, c.error);
        EXPECT_FALSE(QFile::exists(history.store.filePath()));
    }
}

} // namespace
