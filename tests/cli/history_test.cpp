#include "cli/clifixture.h"
#include "history/historystore.h"

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 Failed = -1;  // the fetch failed
constexpr qint64 NotMade = -2; // the run ended before it

QDateTime utc(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs);
}

// A domain's fetches in a run, each ending a second after the one before.
DomainFetches fetched(const QByteArray& domain, const QDateTime& started, std::array<qint64, 5> counts,
                      FailureDetail failure = {FetchFailure::NoCount, 0, {}, 0, 0})
{
    DomainFetches fetches(domain);
    for (std::size_t i = 0; i < counts.size(); ++i) {
        HistoryFetch& fetch = fetches.engines[i];
        if (counts[i] == NotMade)
            continue;
        fetch.at = started.addSecs(qint64(i) + 1);
        if (counts[i] == Failed)
            fetch.failure = failure;
        else
            fetch.count = counts[i];
    }
    return fetches;
}

class HistoryTest : public CommandLineTest {
protected:
    // Three runs, three days apart: the second was cancelled before MSN was asked about b.com.
    void recordRuns(const QString& list)
    {
        HistoryStore store(list);
        ASSERT_TRUE(store.open(HistoryStore::Mode::Write)) << store.problemText().toStdString();
        const FailureDetail unavailable{FetchFailure::ErrorStatus, 503, "Service Unavailable", 0, 0};
        const struct {
            QDateTime started;
            QList<DomainFetches> domains;
            bool cancelled;
        } runs[] = {
            {utc("2026-12-01T12:00:00.000Z"),
             {fetched("b.com", utc("2026-12-01T12:00:00.000Z"), {6, Failed, 8, 9, 10}, unavailable),
              fetched("a.com", utc("2026-12-01T12:00:00.000Z"), {1, 2, 3, 4, 5})},
             false},
            {utc("2026-12-04T12:00:00.000Z"),
             {fetched("b.com", utc("2026-12-04T12:00:00.000Z"), {11, 12, 13, 14, NotMade})},
             true},
            {utc("2026-12-07T12:00:00.250Z"),
             {fetched("a.com", utc("2026-12-07T12:00:00.250Z"), {100, 200, 300, 400, Failed})},
             false},
        };
        for (const auto& run : runs) {
            ASSERT_TRUE(store.beginRun(run.started, FrontEnd::CommandLine));
            for (const DomainFetches& fetches : run.domains)
                ASSERT_TRUE(store.recordDomain(fetches));
            ASSERT_TRUE(store.endRun(run.started.addSecs(60), run.cancelled));
        }
    }
    // Two releases of the web graph, read on the second and the fifth day: a.com in both, with its linking domains
    // counted in the first; b.com in neither.
    void recordFigures(const QString& list)
    {
        HistoryStore store(list);
        ASSERT_TRUE(store.open(HistoryStore::Mode::Write)) << store.problemText().toStdString();
        const GraphRelease winter{
            u"cc-main-2026-jan-feb-mar"_s, {u"CC-MAIN-2026-05"_s, u"CC-MAIN-2026-08"_s}, 118000000, 2900000000};
        const GraphRelease spring{u"cc-main-2026-apr-may-jun"_s, {u"CC-MAIN-2026-17"_s}, 120000000, 3000000000};
        const auto notFound = [](const char* readAt) {
            return GraphFigures{"b.com", false, 0, 0, 0, 0, 0, std::nullopt, utc(readAt)};
        };
        ASSERT_TRUE(store.recordGraphRelease(
            winter, {{"a.com", {"a.com", true, 7, 42.5, 8, 0.5, 2, 5, utc("2026-12-02T08:00:00.000Z")}},
                     {"b.com", notFound("2026-12-02T08:00:00.000Z")}}));
        ASSERT_TRUE(store.recordGraphRelease(
            spring, {{"a.com", {"a.com", true, 1234, 90.25, 2, 0.75, 3, std::nullopt, utc("2026-12-05T08:00:00.000Z")}},
                     {"b.com", notFound("2026-12-05T08:00:00.000Z")}}));
    }
    QString historyPath() const { return HistoryStore::pathFor(listPath()); }
};

const QByteArray aFirst = "2026-12-01T12:00:00.000Z,a.com,15,1,2,3,4,5\r\n";
const QByteArray bFirst = "2026-12-01T12:00:00.000Z,b.com,33,6,,8,9,10\r\n";
const QByteArray bSecond = "2026-12-04T12:00:00.000Z,b.com,50,11,12,13,14,\r\n";
const QByteArray aThird = "2026-12-07T12:00:00.250Z,a.com,1000,100,200,300,400,\r\n";

TEST_F(HistoryTest, PrintsEveryRunOfEveryDomainOrOfThoseNamedBetweenTheDatesGiven)
{
    writeList(twoDomains);
    ASSERT_NO_FATAL_FAILURE(recordRuns(listPath()));
    const QStringList csv{u"history"_s, u"--format=csv"_s, u"--no-header"_s};
    const struct {
        QStringList arguments;
        QByteArray out;
    } cases[] = {
        {{u"history"_s, u"--format=csv"_s},
         "started,domain,total,AllTheWeb,AltaVista,Google,HotBot,MSN\r\n" + aFirst + bFirst + bSecond + aThird},
        {{u"history"_s, u"--format=tsv"_s, u"--no-header"_s, u"B.COM"_s, u"http://b.com/"_s},
         "2026-12-01T12:00:00.000Z\tb.com\t33\t6\t\t8\t9\t10\n2026-12-04T12:00:00.000Z\tb.com\t50\t11\t12\t13\t14\t\n"},
        // A date is a whole day in local time; the runs lie three days apart, so no time zone moves one past it.
        {csv + QStringList{u"--since"_s, u"2026-12-03"_s, u"--until=2026-12-05"_s}, bSecond},
        {csv + QStringList{u"--until=2026-12-04T12:00:00Z"_s}, aFirst + bFirst + bSecond},
        {csv + QStringList{u"--since=2026-12-07T13:00:00.250+01:00"_s}, aThird},
        {csv + QStringList{u"--since=2026-12-07T12:00:00.251Z"_s}, ""},
        {csv + QStringList{u"unknown.org"_s}, ""},
        {{u"history"_s, u"--format=json"_s, u"b.com"_s, u"--until=2026-12-02T00:00Z"_s},
         R"([{"AllTheWeb":6,"AltaVista":null,"Google":8,"HotBot":9,"MSN":10,"domain":"b.com",)"
         R"("failures":{"AltaVista":{"detail":"503 Service Unavailable","failure":"error-status"}},)"
         R"("started":"2026-12-01T12:00:00.000Z","total":33}])"
         "\n"},
        {{u"history"_s, u"--format=json"_s, u"--since=2026-12-05T00:00Z"_s},
         R"([{"AllTheWeb":100,"AltaVista":200,"Google":300,"HotBot":400,"MSN":null,"domain":"a.com",)"
         R"("failures":{"MSN":{"detail":"","failure":"no-count"}},"started":"2026-12-07T12:00:00.250Z","total":1000}])"
         "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        EXPECT_EQ(run(c.arguments), (Outcome{0, c.out, ""}));
    }

    // A table marks a fetch that failed and one that was not made.
    const QList<QByteArray> table = run({u"history"_s, u"b.com"_s}).out.split('\n');
    ASSERT_EQ(table.size(), 4);
    EXPECT_TRUE(table[0].startsWith("Started")) << table[0].toStdString();
    EXPECT_TRUE(table[1].endsWith("b.com      33          6     failed       8       9   10"))
        << table[1].toStdString();
    EXPECT_TRUE(table[2].endsWith("b.com      50         11         12      13      14    -"))
        << table[2].toStdString();
    EXPECT_EQ(listFile(), twoDomains);
}

TEST_F(HistoryTest, PrintsEachDomainsFiguresFromEveryReleaseReadAfterTheRuns)
{
    writeList(twoDomains);
    ASSERT_NO_FATAL_FAILURE(recordRuns(listPath()));
    ASSERT_NO_FATAL_FAILURE(recordFigures(listPath()));
    const struct {
        QStringList arguments;
        QByteArray out;
    } cases[] = {
        {{u"history"_s, u"--format=csv"_s, u"a.com"_s},
         "started,domain,total,AllTheWeb,AltaVista,Google,HotBot,MSN\r\n" + aFirst + aThird +
             "\r\ndomain,webgraph.release,webgraph.found,webgraph.name,webgraph.harmonicRank,webgraph.pageRankRank,"
             "webgraph.hosts,webgraph.domains,webgraph.linkingDomains,webgraph.crawls,webgraph.readAt\r\n"
             "a.com,cc-main-2026-jan-feb-mar,true,a.com,7,8,2,118000000,5,CC-MAIN-2026-05 CC-MAIN-2026-08,"
             "2026-12-02T08:00:00.000Z\r\n"
             "a.com,cc-main-2026-apr-may-jun,true,a.com,1234,2,3,120000000,,CC-MAIN-2026-17,"
             "2026-12-05T08:00:00.000Z\r\n"},
        // --since and --until keep the figures read in between.
        {{u"history"_s, u"--format=tsv"_s, u"--no-header"_s, u"b.com"_s, u"--since=2026-12-03T00:00Z"_s},
         "2026-12-04T12:00:00.000Z\tb.com\t50\t11\t12\t13\t14\t\n\n"
         "b.com\tcc-main-2026-apr-may-jun\tfalse\t\t\t\t\t\t\tCC-MAIN-2026-17\t2026-12-05T08:00:00.000Z\n"},
        {{u"history"_s, u"--format=json"_s, u"b.com"_s, u"--until=2026-12-02T12:00Z"_s},
         R"([{"AllTheWeb":6,"AltaVista":null,"Google":8,"HotBot":9,"MSN":10,"domain":"b.com",)"
         R"("failures":{"AltaVista":{"detail":"503 Service Unavailable","failure":"error-status"}},)"
         R"("started":"2026-12-01T12:00:00.000Z","total":33},{"domain":"b.com","webgraph":[{"crawls":)"
         R"(["CC-MAIN-2026-05","CC-MAIN-2026-08"],"found":false,"readAt":"2026-12-02T08:00:00.000Z",)"
         R"("release":"cc-main-2026-jan-feb-mar"}]}])"
         "\n"},
        // A table in local time and the user's locale, which the tests set to UTC and C.
        {{u"history"_s, u"--since=2026-12-05"_s},
         "Started                Domain  Total  AllTheWeb  AltaVista  Google  HotBot     MSN\n"
         "12/7/2026 12:00:00 PM  a.com   1,000        100        200     300     400  failed\n"
         "\n"
         "Read                  Domain  Release                   Registered Domain          Web Rank  PageRank  Hosts "
         " "
         "Linking Domains\n"
         "12/5/2026 8:00:00 AM  a.com   cc-main-2026-apr-may-jun  a.com                         1,234         2      3 "
         " "
         "              -\n"
         "12/5/2026 8:00:00 AM  b.com   cc-main-2026-apr-may-jun  b.com              not in the graph                  "
         " "
         "              -\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        EXPECT_EQ(run(c.arguments), (Outcome{0, c.out, ""}));
    }
}

TEST_F(HistoryTest, UsageErrorsChangeNothing)
{
    writeList(twoDomains);
    const struct {
        QStringList arguments;
        QByteArray error;
    } cases[] = {
        {{u"history"_s, u"--since=yesterday"_s},
         "--since takes a date, as 2026-12-01, or a date and time, as 2026-12-01T09:30"},
        {{u"history"_s, u"--until=2026-02-30"_s},
         "--until takes a date, as 2026-12-01, or a date and time, as 2026-12-01T09:30"},
        {{u"history"_s, u"localhost"_s}, "This does not appear to be a valid domain: localhost"},
        {{u"history"_s, u"--export=h.txt"_s},
         "the name h.txt ends in neither .csv nor .json; --format csv or --format json says which"},
        {{u"history"_s, u"--export=-"_s, u"--format=tsv"_s}, "--export takes the format csv or json, not tsv"},
        {{u"history"_s, u"--export=-"_s, u"--import=-"_s}, "--export and --import do not go together"},
        {{u"history"_s, u"--import=h.csv"_s, u"--since=2026-12-01"_s}, "--since does not go with --import"},
        {{u"history"_s, u"--export=h.csv"_s, u"a.com"_s}, "--export takes the whole history and no domain"},
        {{u"history"_s, u"--import=missing.csv"_s},
         "the file missing.csv cannot be read: No such file or directory; nothing was imported"},
        {{u"show"_s, u"--until=2026-12-01"_s},
         "--until is not an option of show; brenlow-cli help show lists its options"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const Outcome outcome = run(c.arguments);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.err.split('\n').first(), "brenlow-cli: " + c.error);
    }
    EXPECT_EQ(listFile(), twoDomains);
}

TEST_F(HistoryTest, AnExportImportsIntoAnEmptyHistoryAsItWasAndOnlyOnce)
{
    writeList(twoDomains);
    ASSERT_NO_FATAL_FAILURE(recordRuns(listPath()));
    ASSERT_NO_FATAL_FAILURE(recordFigures(listPath()));
    const Outcome original = run({u"history"_s, u"--format=json"_s});
    ASSERT_EQ(original.status, 0);
    const struct {
        QString file; // - for standard output and input
        QStringList format;
    } cases[] = {{u"history.json"_s, {}}, {u"HISTORY.CSV"_s, {}}, {u"-"_s, {}}, {u"-"_s, {u"--format=json"_s}}};
    for (const auto& c : cases) {
        SCOPED_TRACE((c.file + u' ' + c.format.join(u' ')).toStdString());
        const QString file = c.file == u"-"_s ? c.file : m_dir.filePath(c.file);
        const Outcome exported = run(QStringList{u"history"_s, u"--export"_s, file} + c.format);
        ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
        EXPECT_EQ(exported.out.isEmpty(), c.file != u"-"_s);

        QTemporaryDir elsewhere;
        const QString list = elsewhere.filePath(u"brenlow.txt"_s);
        writeFile(list, twoDomains);
        const QStringList import = QStringList{u"history"_s, u"--import"_s, file} + c.format;
        const Outcome first = run(import, list, exported.out);
        EXPECT_EQ(first.status, 0) << first.err.toStdString();
        EXPECT_TRUE(first.out.endsWith(" fetches added\n")) << first.out.toStdString();
        EXPECT_NE(first.out, "0 fetches added\n");
        EXPECT_EQ(run(import, list, exported.out), (Outcome{0, "0 fetches added\n", ""}));
        EXPECT_EQ(run({u"history"_s, u"--format=json"_s}, list), original);
    }
    // A file that is no export is refused whole.
    writeFile(m_dir.filePath(u"other.csv"_s), "Domain,Total\r\na.com,15\r\n");
    const Outcome refused = run({u"history"_s, u"--import"_s, m_dir.filePath(u"other.csv"_s)});
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(refused.err.startsWith("brenlow-cli: the file " + m_dir.filePath(u"other.csv"_s).toUtf8() +
                                       " is no history that Brenlow exports: "))
        << refused.err.toStdString();
    EXPECT_EQ(run({u"history"_s, u"--format=json"_s}), original);
}

TEST_F(HistoryTest, AHistoryThatIsNoDatabaseIsToldAndLeftWhileTheListWorksWithoutIt)
{
    writeList(twoDomains);
    const QByteArray garbage(4096, 'x');
    writeFile(historyPath(), garbage);
    HistoryStore reading(listPath());
    ASSERT_FALSE(reading.open(HistoryStore::Mode::Read));
    HistoryStore writing(listPath());
    ASSERT_FALSE(writing.open(HistoryStore::Mode::Write));
    const QByteArray readProblem = "brenlow-cli: " + reading.problemText().toUtf8() + '\n';
    const QByteArray writeProblem = "brenlow-cli: " + writing.problemText().toUtf8() + '\n';

    EXPECT_EQ(run({u"history"_s}), (Outcome{3, "", readProblem}));
    EXPECT_EQ(run({u"history"_s, u"--export"_s, m_dir.filePath(u"h.csv"_s)}), (Outcome{3, "", readProblem}));
    EXPECT_FALSE(QFile::exists(m_dir.filePath(u"h.csv"_s)));
    EXPECT_EQ(run({u"history"_s, u"--import=-"_s}, {}, "run_started\n"), (Outcome{3, "", writeProblem}));

    EXPECT_EQ(run({u"show"_s, u"--format=csv"_s, u"--no-header"_s}).out,
              "a.com,15,1,2,3,4,5\r\nb.com,40,6,7,8,9,10\r\n");
    m_server.serveDomain("a.com", {10, 20, 30, 40, 50});
    m_server.serveDomain("b.com", {60, 70, 80, 90, 100});
    const QByteArray notKept = "brenlow-cli: history is not being kept: " + writing.problemText().toUtf8() + '\n';
    EXPECT_EQ(run({u"update"_s}), (Outcome{0, "", notKept}));
    EXPECT_EQ(listFile(), "a.com|AllTheWeb=10|AltaVista=20|Google=30|HotBot=40|MSN=50|\r\n"
                          "b.com|AllTheWeb=60|AltaVista=70|Google=80|HotBot=90|MSN=100|\r\n");
    QFile history(historyPath());
    ASSERT_TRUE(history.open(QIODevice::ReadOnly));
    EXPECT_EQ(history.readAll(), garbage);
}

TEST_F(HistoryTest, ARemovedDomainKeepsItsHistoryAndContinuesItWhenAddedAgain)
{
    writeList(twoDomains);
    m_server.serveDomain("a.com", {1, 2, 3, 4, 5});
    m_server.serveDomain("b.com", {6, 7, 8, 9, 10});
    const auto history = [this] { return run({u"history"_s, u"a.com"_s, u"--format=csv"_s, u"--no-header"_s}).out; };
    EXPECT_EQ(run({u"update"_s}).status, 0);
    EXPECT_EQ(run({u"remove"_s, u"a.com"_s}).status, 0);
    const QByteArray kept = history();
    EXPECT_TRUE(kept.endsWith(",a.com,15,1,2,3,4,5\r\n")) << kept.toStdString();
    EXPECT_EQ(run({u"add"_s, u"a.com"_s}).status, 0);
    m_server.serveDomain("a.com", {10, 20, 30, 40, 50});
    EXPECT_EQ(run({u"update"_s, u"a.com"_s}).status, 0);
    const QByteArray continued = history();
    EXPECT_TRUE(continued.startsWith(kept)) << continued.toStdString();
    EXPECT_TRUE(continued.endsWith(",a.com,150,10,20,30,40,50\r\n")) << continued.toStdString();
    EXPECT_EQ(continued.count('\n'), 2);
}

} // namespace
