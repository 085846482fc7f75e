#include "clifixture.h"
#include "webgraph/graphfixture.h"

#include <QDir>

namespace {

const QByteArray listed = "www.example.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n"
                          "shop.example.co.uk|\r\n"
                          "absent.net|AllTheWeb=9|\r\n";

class WebGraphTest : public CommandLineTest {
protected:
    WebGraphTest() { graphfixture::serve(m_server); }

    QString base() const { return u"http://127.0.0.1:%1/"_s.arg(m_server.port()); }
    QStringList sources() const
    {
        return {u"--webgraph-index="_s + base() + u"graphinfo.json"_s, u"--webgraph-data="_s + base()};
    }
    Outcome webgraph(const QStringList& arguments) { return run(QStringList{u"webgraph"_s} + arguments + sources()); }
};

TEST_F(WebGraphTest, ListsTheReleasesNewestFirst)
{
    writeList(listed);
    EXPECT_EQ(webgraph({u"releases"_s, u"--format=tsv"_s}),
              (Outcome{0,
                       "release\tcrawls\tdomains\tread\n"
                       "cc-main-2026-apr-may-jun\tCC-MAIN-2026-17 CC-MAIN-2026-21 CC-MAIN-2026-26\t6\tno\n"
                       "cc-main-2026-jan-feb-mar\tCC-MAIN-2026-05 CC-MAIN-2026-08 CC-MAIN-2026-13\t\tno\n",
                       ""}));
    // A list that is not there yet has read none, and is not made.
    const QString missing = m_dir.filePath(u"new.txt"_s);
    EXPECT_EQ(run(QStringList{u"webgraph"_s, u"releases"_s, u"--format=csv"_s, u"--no-header"_s} + sources(), missing),
              (Outcome{0,
                       "cc-main-2026-apr-may-jun,CC-MAIN-2026-17 CC-MAIN-2026-21 CC-MAIN-2026-26,6,no\r\n"
                       "cc-main-2026-jan-feb-mar,CC-MAIN-2026-05 CC-MAIN-2026-08 CC-MAIN-2026-13,,no\r\n",
                       ""}));
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{u"brenlow.txt"_s});

    ASSERT_EQ(webgraph({u"update"_s}).status, 0);
    EXPECT_EQ(webgraph({u"releases"_s, u"--format=json"_s}),
              (Outcome{0,
                       R"([{"crawls":["CC-MAIN-2026-17","CC-MAIN-2026-21","CC-MAIN-2026-26"],"domains":6,"read":true,)"
                       R"("release":"cc-main-2026-apr-may-jun"},{"crawls":["CC-MAIN-2026-05","CC-MAIN-2026-08",)"
                       R"("CC-MAIN-2026-13"],"domains":null,"read":false,"release":"cc-main-2026-jan-feb-mar"}])"
                       "\n",
                       ""}));
}

TEST_F(WebGraphTest, AnUpdateReadsTheNewestReleaseOnceAndLeavesTheListAlone)
{
    writeList(listed);
    const Outcome ranksOnly = webgraph({u"update"_s});
    EXPECT_EQ(ranksOnly, (Outcome{0, "", ""}));
    EXPECT_EQ(targets(), (QList<QByteArray>{"/graphinfo.json", graphfixture::path(graphfixture::Newest, "ranks")}));
    EXPECT_EQ(listFile(), listed);

    // Read already: only the index is asked for.
    const qsizetype before = m_server.requests().size();
    EXPECT_EQ(webgraph({u"update"_s}), (Outcome{0, "", ""}));
    EXPECT_EQ(targets(before), (QList<QByteArray>{"/graphinfo.json"}));

    // Linking domains were not counted yet: the release is read again, all three files.
    const qsizetype linking = m_server.requests().size();
    EXPECT_EQ(webgraph({u"update"_s, u"shop.example.co.uk"_s, u"--linking-domains"_s}), (Outcome{0, "", ""}));
    EXPECT_EQ(targets(linking), (QList<QByteArray>{"/graphinfo.json", graphfixture::path(graphfixture::Newest, "ranks"),
                                                   graphfixture::path(graphfixture::Newest, "vertices"),
                                                   graphfixture::path(graphfixture::Newest, "edges")}));
    EXPECT_EQ(listFile(), listed);
}

TEST_F(WebGraphTest, ShowGivesEachDomainTheFiguresOfTheNewestReleaseRead)
{
    writeList(listed);
    EXPECT_EQ(run({u"show"_s, u"--format=tsv"_s, u"absent.net"_s}).out,
              "domain\ttotal\tAllTheWeb\tAltaVista\tGoogle\tHotBot\tMSN\nabsent.net\t9\t9\t\t\t\t\n");
    // The newest release for every domain, then linking domains for one; the older one read last.
    ASSERT_EQ(webgraph({u"update"_s}).status, 0);
    ASSERT_EQ(webgraph({u"update"_s, u"shop.example.co.uk"_s, u"--linking-domains"_s}).status, 0);
    ASSERT_EQ(webgraph({u"update"_s, u"--release=cc-main-2026-jan-feb-mar"_s}).status, 0);

    EXPECT_EQ(run({u"show"_s, u"--format=json"_s}).out,
              R"([{"AllTheWeb":1,"AltaVista":2,"Google":3,"HotBot":4,"MSN":5,"domain":"www.example.com","total":15,)"
              R"("webgraph":{"domains":6,"found":true,"harmonicRank":1,"hosts":3,"linkingDomains":null,)"
              R"("name":"example.com","pageRankRank":2,"release":"cc-main-2026-apr-may-jun"}},)"
              R"({"AllTheWeb":null,"AltaVista":null,"Google":null,"HotBot":null,"MSN":null,)"
              R"("domain":"shop.example.co.uk","total":0,"webgraph":{"domains":6,"found":true,"harmonicRank":2,)"
              R"("hosts":4,"linkingDomains":2,"name":"example.co.uk","pageRankRank":1,)"
              R"("release":"cc-main-2026-apr-may-jun"}},)"
              R"({"AllTheWeb":9,"AltaVista":null,"Google":null,"HotBot":null,"MSN":null,"domain":"absent.net",)"
              R"("total":9,"webgraph":{"found":false,"release":"cc-main-2026-apr-may-jun"}}])"
              "\n");
    EXPECT_EQ(run({u"show"_s, u"--format=csv"_s, u"shop.example.co.uk"_s, u"absent.net"_s}).out,
              "domain,total,AllTheWeb,AltaVista,Google,HotBot,MSN,webgraph.release,webgraph.found,webgraph.name,"
              "webgraph.harmonicRank,webgraph.pageRankRank,webgraph.hosts,webgraph.domains,webgraph.linkingDomains\r\n"
              "shop.example.co.uk,0,,,,,,cc-main-2026-apr-may-jun,true,example.co.uk,2,1,4,6,2\r\n"
              "absent.net,9,9,,,,,cc-main-2026-apr-may-jun,false,,,,,,\r\n");
    EXPECT_EQ(
        run({u"show"_s, u"absent.net"_s, u"shop.example.co.uk"_s}).out,
        "Domain              Total  AllTheWeb  AltaVista  Google  HotBot  MSN  Linking Domains          Web Rank\n"
        "absent.net              9          9                                                   not in the graph\n"
        "shop.example.co.uk      0                                                           2                 2\n");
}

TEST_F(WebGraphTest, AReleaseThatCannotBeReadWholeIsNotStored)
{
    writeList(listed);
    const QByteArray ranks = gzipped(graphfixture::ranks(graphfixture::Newest));
    m_server.answer(graphfixture::path(graphfixture::Newest, "ranks"),
                    ServerReply::file(ranks.first(ranks.size() - 9)));
    const Outcome cut = webgraph({u"update"_s});
    EXPECT_EQ(cut.status, 1);
    EXPECT_TRUE(cut.err.startsWith("brenlow-cli: " + base().toUtf8() +
                                   "projects/hyperlinkgraph/cc-main-2026-apr-may-jun/"
                                   "domain/cc-main-2026-apr-may-jun-domain-ranks.txt.gz is damaged: "))
        << cut.err.toStdString();
    EXPECT_TRUE(cut.err.endsWith("; nothing of cc-main-2026-apr-may-jun was stored\n")) << cut.err.toStdString();
    EXPECT_TRUE(webgraph({u"releases"_s, u"--format=csv"_s, u"--no-header"_s}).out.contains(",6,no\r\n"));
    EXPECT_EQ(listFile(), listed);
}

TEST_F(WebGraphTest, ReadsReleasesFromAFolderAndTellsWhatCannotBeDone)
{
    writeList(listed);
    QTemporaryDir folder;
    ASSERT_TRUE(graphfixture::writeTo(folder.path()));
    const QString data = u"--webgraph-data="_s + folder.path();
    const std::tuple<QStringList, Outcome> cases[] = {
        {{u"webgraph"_s, u"update"_s, data},
         {2, "", "brenlow-cli: " + folder.path().toUtf8() + " holds more than one release: name one with --release\n"}},
        {{u"webgraph"_s, u"update"_s, data, u"--release=cc-main-2031"_s},
         {2, "", "brenlow-cli: there is no release cc-main-2031; brenlow-cli webgraph releases lists them\n"}},
        {{u"webgraph"_s, u"update"_s, data, u"--release=cc-main-2026-jan-feb-mar"_s}, {0, "", ""}},
        {{u"webgraph"_s, u"update"_s, u"nowhere.org"_s, data},
         {2, "", "brenlow-cli: nowhere.org is not in the list\n"}},
        {{u"webgraph"_s, u"refresh"_s}, {2, "", "brenlow-cli: webgraph takes releases or update, not refresh\n"}},
        {{u"webgraph"_s, u"releases"_s, u"--linking-domains"_s},
         {2, "", "brenlow-cli: --linking-domains is an option of webgraph update\n"}},
        {{u"show"_s, u"--release=x"_s},
         {2, "", "brenlow-cli: --release is not an option of show; brenlow-cli help show lists its options\n"}},
    };
    for (const auto& [arguments, outcome] : cases)
        EXPECT_EQ(run(arguments), outcome) << arguments.join(u' ').toStdString();
    EXPECT_EQ(m_server.requestCount(), 0);
    EXPECT_EQ(listFile(), listed);
}

} // namespace
