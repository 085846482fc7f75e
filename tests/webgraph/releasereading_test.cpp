#include "webgraph/releasereading.h"

#include "webgraph/graphfixture.h"
#include "webgraph/graphname.h"

#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

GraphFigures found(const char* name, qint64 harmonicRank, double harmonicValue, qint64 pageRankRank,
                   double pageRankValue, qint64 hosts, std::optional<qint64> linking)
{
    return {name, true, harmonicRank, harmonicValue, pageRankRank, pageRankValue, hosts, linking, {}};
}

class ReleaseReadingTest : public ::testing::Test {
protected:
    ReleaseReadingTest() { graphfixture::serve(m_server); }

    QUrl base() const { return QUrl(u"http://127.0.0.1:%1/"_s.arg(m_server.port())); }
    GraphRelease release(const char* id) const { return {QString::fromLatin1(id), {}, 0, 0}; }

    // The figures read, with the time they were read left out.
    std::optional<ReleaseReading::ListedFigures> read(GraphRelease& release, const QList<QByteArray>& listed,
                                                      bool linking, const QUrl& data)
    {
        auto figures = m_reading.read(release, data, listed, linking);
        if (figures) {
            for (auto& [domain, each] : *figures) {
                EXPECT_TRUE(each.readAt.isValid()) << domain.toStdString();
                each.readAt = {};
            }
        }
        return figures;
    }

    HttpTestServer m_server;
    QNetworkAccessManager m_network;
    GraphDownload m_download{m_network, {"Brenlow/test", std::chrono::milliseconds(1000), 3}};
    GraphNames m_names;
    ReleaseReading m_reading{m_download, m_names};
};

TEST_F(ReleaseReadingTest, TheIndexListsTheReleasesNewestFirst)
{
    const auto releases = m_reading.releases(base().resolved(QUrl(u"graphinfo.json"_s)));
    ASSERT_TRUE(releases) << m_reading.error().toStdString();
    const QList<GraphRelease> expected{
        {u"cc-main-2026-apr-may-jun"_s, {u"CC-MAIN-2026-17"_s, u"CC-MAIN-2026-21"_s, u"CC-MAIN-2026-26"_s}, 6, 8},
        {u"cc-main-2026-jan-feb-mar"_s, {u"CC-MAIN-2026-05"_s, u"CC-MAIN-2026-08"_s, u"CC-MAIN-2026-13"_s}, 0, 0},
    };
    EXPECT_EQ(*releases, expected);

    QString error;
    EXPECT_FALSE(graphindex::parse("{\"id\": \"x\"}", error));
    EXPECT_EQ(error, u"the release index is not a list of releases"_s);
    EXPECT_FALSE(graphindex::parse("<html>", error));
    EXPECT_EQ(error, u"the release index is not JSON"_s);
}

TEST_F(ReleaseReadingTest, EachListedDomainGetsTheFiguresOfItsRegisteredDomain)
{
    const QList<QByteArray> listed{"www.example.com",
                                   "shop.example.co.uk",
                                   "b\xc3\xbc"
                                   "cher.de",
                                   "absent.net",
                                   "only-linked.com",
                                   "example.com",
                                   "lat\xe9n.com"};
    for (const bool linking : {true, false}) {
        SCOPED_TRACE(linking ? "linking domains counted" : "ranks only");
        const int before = m_server.requestCount();
        GraphRelease newest = release(graphfixture::Newest);
        const auto figures = read(newest, listed, linking, base());
        ASSERT_TRUE(figures) << m_reading.error().toStdString();
        const auto count = [linking](qint64 n) { return linking ? std::optional(n) : std::nullopt; };
        const ReleaseReading::ListedFigures expected{
            {"www.example.com", found("example.com", 1, 2.9799486E7, 2, 0.0123, 3, count(4))},
            {"shop.example.co.uk", found("example.co.uk", 2, 1.5E7, 1, 0.02, 4, count(2))},
            {"b\xc3\xbc"
             "cher.de",
             found("xn--bcher-kva.de", 5, 1234.5, 6, 1.5E-9, 1, count(0))},
            {"absent.net", {"absent.net", false, 0, 0, 0, 0, 0, std::nullopt, {}}},
            {"only-linked.com", found("only-linked.com", 4, 5.0E6, 3, 0.005, 1, count(1))},
            {"example.com", found("example.com", 1, 2.9799486E7, 2, 0.0123, 3, count(4))},
            {"lat\xe9n.com", {}},
        };
        EXPECT_EQ(*figures, expected);
        // The ranks file alone, or all three.
        EXPECT_EQ(m_server.requestCount() - before, linking ? 3 : 1);
        // The ranks file counts the release's domains when the index did not.
        EXPECT_EQ(newest.domains, 6);
    }
}

TEST_F(ReleaseReadingTest, AReadingCancelledGoesOnWhereItStopped)
{
    const QList<QByteArray> listed{"www.example.com", "shop.example.co.uk"};
    ReleaseReading::Paused paused;
    GraphRelease newest = release(graphfixture::Newest);
    // Cancelled once the vertices are under way: the edges are never asked for.
    bool verticesBegan = false;
    const auto progress = [&](const ReleaseReading::Progress& step) {
        verticesBegan = verticesBegan || step.file == graphindex::GraphFile::Vertices;
    };
    EXPECT_FALSE(m_reading.read(
        newest, base(), listed, true, progress, [&] { return verticesBegan; }, &paused));
    EXPECT_TRUE(m_reading.cancelled());
    ASSERT_FALSE(paused.isEmpty());
    EXPECT_EQ(paused.releaseId(), u"cc-main-2026-apr-may-jun"_s);
    EXPECT_EQ(paused.stoppedAt().file, graphindex::GraphFile::Edges);

    // The same reading again asks only for what is left.
    const int before = m_server.requestCount();
    const auto figures = m_reading.read(newest, base(), listed, true, {}, {}, &paused);
    ASSERT_TRUE(figures) << m_reading.error().toStdString();
    EXPECT_EQ(m_server.requestCount() - before, 1);
    EXPECT_EQ(m_server.requests().last().split(' ').value(1), graphfixture::path(graphfixture::Newest, "edges"));
    EXPECT_EQ((*figures)[0].second.linkingDomains, 4);
    EXPECT_EQ((*figures)[1].second.linkingDomains, 2);
    EXPECT_EQ((*figures)[1].second.harmonicRank, 2);
    EXPECT_TRUE(paused.isEmpty());

    // Another reading starts afresh, and a cancelled one of other domains is not taken for it.
    EXPECT_FALSE(m_reading.read(
        newest, base(), {"other.com"}, true, {}, [] { return true; }, &paused));
    const auto other = m_reading.read(newest, base(), listed, false, {}, {}, &paused);
    ASSERT_TRUE(other);
    EXPECT_EQ((*other)[0].second.linkingDomains, std::nullopt);
}

TEST_F(ReleaseReadingTest, AReleaseIsReadFromAFolderToo)
{
    QTemporaryDir folder;
    ASSERT_TRUE(graphfixture::writeTo(folder.path()));
    GraphRelease older = release(graphfixture::Older);
    const auto figures = read(older, {"example.com", "other.com"}, true, QUrl::fromLocalFile(folder.path()));
    ASSERT_TRUE(figures) << m_reading.error().toStdString();
    const ReleaseReading::ListedFigures expected{
        {"example.com", found("example.com", 7, 42.0, 8, 0.5, 2, 0)},
        {"other.com", {"other.com", false, 0, 0, 0, 0, 0, std::nullopt, {}}},
    };
    EXPECT_EQ(*figures, expected);
    EXPECT_EQ(older.domains, 1);
    EXPECT_EQ(m_server.requestCount(), 0);
}

TEST_F(ReleaseReadingTest, AFileThatCannotBeReadWholeGivesNoFigures)
{
    using graphfixture::Newest;
    const QByteArray ranks = gzipped(graphfixture::ranks(Newest));
    const QByteArray badLine = gzipped(graphfixture::ranks(Newest).replace("3\t9876543.0\t4", "3\t9876543.0"));
    const QByteArray badEdge = gzipped(graphfixture::edges(Newest).replace("4\t1\n", "4 1\n"));
    const std::tuple<const char*, QByteArray, QByteArray, QString> cases[] = {
        {"ranks cut short", "ranks", ranks.first(ranks.size() - 20), u"%1 is damaged: "_s},
        {"a damaged line", "ranks", badLine, u"line 4 of %1 is not a line of the web graph's files"_s},
        {"a damaged edge", "edges", badEdge, u"line 6 of %1 is not a line of the web graph's files"_s},
        {"edges missing", "edges", QByteArray(), u"the server answered 404 Not Found for %1"_s},
    };
    for (const auto& [name, file, bytes, error] : cases) {
        SCOPED_TRACE(name);
        HttpTestServer server;
        graphfixture::serve(server);
        server.answer(graphfixture::path(Newest, file),
                      bytes.isEmpty() ? QList<ServerReply>{} : QList{ServerReply::file(bytes)});
        GraphRelease newest = release(Newest);
        const QUrl data(u"http://127.0.0.1:%1/"_s.arg(server.port()));
        EXPECT_FALSE(m_reading.read(newest, data, {"example.com"}, true));
        const QString url = graphindex::fileUrl(data, newest.id,
                                                file == QByteArray("ranks") ? graphindex::GraphFile::Ranks
                                                                            : graphindex::GraphFile::Edges)
                                .toDisplayString();
        EXPECT_TRUE(m_reading.error().startsWith(error.arg(url))) << m_reading.error().toStdString();
        EXPECT_FALSE(m_reading.cancelled());
    }
}

} // namespace
