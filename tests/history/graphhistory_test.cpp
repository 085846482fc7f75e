#include "history/historystore.h"
#include "history/latestgraphfigures.h"
#include "support/qtprinters.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using Figures = QList<std::pair<QByteArray, GraphFigures>>;

const QDateTime readAt(QDate(2026, 12, 8), QTime(10, 0, 0, 125), Qt::UTC);
const GraphRelease winter{u"cc-main-2026-jan-feb-mar"_s,
                          {u"CC-MAIN-2026-04"_s, u"CC-MAIN-2026-08"_s, u"CC-MAIN-2026-12"_s},
                          118000000,
                          2900000000};
const GraphRelease spring{u"cc-main-2026-apr-may-jun"_s, {u"CC-MAIN-2026-17"_s}, 120000000, 3000000000};

GraphFigures found(const QByteArray& name, qint64 hosts, std::optional<qint64> linkingDomains)
{
    return {name, true, 118000000, 2.9799486E7, 7, 1.234e-9, hosts, linkingDomains, readAt};
}

GraphFigures notFound(const QByteArray& name, std::optional<qint64> linkingDomains = {})
{
    return {name, false, 0, 0, 0, 0, 0, linkingDomains, readAt};
}

// What a history says of the domains, a line each: "domain release name hosts linkingDomains", "-" for none.
QStringList stored(HistoryStore& store, const QList<QByteArray>& domains = {})
{
    QStringList lines;
    EXPECT_TRUE(store.visitGraphFigures(domains, [&](const QByteArray& domain, const GraphRelease& release,
                                                     const GraphFigures& figures) {
        const QString linking = figures.linkingDomains ? QString::number(*figures.linkingDomains) : u"-"_s;
        lines.append(u"%1 %2 %3 %4 %5"_s.arg(QString::fromLatin1(domain), release.id, QString::fromLatin1(figures.name),
                                             QString::number(figures.hosts), linking));
    })) << store.problemText().toStdString();
    return lines;
}

// Another program's statement on the history file: whether it ran, and the first value it gave.
std::pair<bool, QVariant> execute(const QString& file, const QString& statement)
{
    std::pair<bool, QVariant> result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other"_s);
        db.setDatabaseName(file);
        QSqlQuery query(db);
        result.first = db.open() && query.exec(statement);
        if (query.next())
            result.second = query.value(0);
    }
    QSqlDatabase::removeDatabase(u"other"_s);
    return result;
}

struct GraphHistoryTest : ::testing::Test {
    QTemporaryDir dir;
    QString list = dir.filePath(u"brenlow.txt"_s);
    QString file = HistoryStore::pathFor(list);

    void record(const GraphRelease& release, const Figures& figures)
    {
        HistoryStore store(list);
        ASSERT_TRUE(store.open(HistoryStore::Mode::Write)) << store.problemText().toStdString();
        ASSERT_TRUE(store.recordGraphRelease(release, figures)) << store.problemText().toStdString();
    }
};

TEST_F(GraphHistoryTest, FiguresAreReadBackAsTheyWereKept)
{
    const Figures winterFigures{{"shop.example.co.uk", found("example.co.uk", 42, 1234)},
                                {"a.com", found("a.com", 3, std::nullopt)},
                                {"gone.com", notFound("gone.com")},
                                {"localhost", notFound({})}};
    record(winter, winterFigures);
    record(spring, {{"a.com", found("a.com", 4, 0)}});

    HistoryStore store(list);
    ASSERT_TRUE(store.open(HistoryStore::Mode::Read));
    EXPECT_EQ(store.graphReleases(), (QList<GraphRelease>{winter, spring}));
    QList<std::pair<QByteArray, GraphFigures>> winterRead;
    ASSERT_TRUE(store.visitGraphFigures(
        {}, [&](const QByteArray& domain, const GraphRelease& release, const GraphFigures& figures) {
            if (release == winter)
                winterRead.append({domain, figures});
        }));
    EXPECT_EQ(winterRead, winterFigures);
    EXPECT_EQ(stored(store, {"a.com", "unknown.com", "localhost"}),
              (QStringList{u"a.com cc-main-2026-jan-feb-mar a.com 3 -"_s, u"a.com cc-main-2026-apr-may-jun a.com 4 0"_s,
                           u"localhost cc-main-2026-jan-feb-mar  0 -"_s}));
}

TEST_F(GraphHistoryTest, ARecordOfAKeptReleaseOnlyAddsLinkingDomainsNotCountedBefore)
{
    record(winter, {{"a.com", found("a.com", 3, std::nullopt)},
                    {"b.com", found("b.com", 5, 7)},
                    {"c.com", found("c.com", 6, std::nullopt)}});
    GraphRelease changed = winter;
    changed.domains = 1;
    HistoryStore store(list);
    ASSERT_TRUE(store.open(HistoryStore::Mode::Write));
    ASSERT_TRUE(store.recordGraphRelease(changed, {{"a.com", found("a.com", 30, 9)},
                                                   {"b.com", found("b.com", 50, 8)},
                                                   {"c.com", found("c.com", 60, std::nullopt)},
                                                   {"d.com", notFound("d.com", 0)}}));
    EXPECT_EQ(store.graphReleases(), QList<GraphRelease>{winter});
    EXPECT_EQ(
        stored(store),
        (QStringList{u"a.com cc-main-2026-jan-feb-mar a.com 3 9"_s, u"b.com cc-main-2026-jan-feb-mar b.com 5 7"_s,
                     u"c.com cc-main-2026-jan-feb-mar c.com 6 -"_s, u"d.com cc-main-2026-jan-feb-mar d.com 0 0"_s}));
}

// A release is kept whole or not at all: a write refused halfway, or a disk without room, leaves nothing of it.
TEST_F(GraphHistoryTest, AReleaseThatCannotBeKeptWholeLeavesNothing)
{
    const struct {
        const char* what;
        QString trigger;
        std::optional<qint64> freeSpace;
        HistoryProblem problem;
    } cases[] = {
        {"a refused row",
         u"CREATE TRIGGER refuse BEFORE INSERT ON graph_figures WHEN NEW.name = CAST('b.com' AS BLOB) "
         u"BEGIN SELECT RAISE(ABORT, 'refused'); END"_s,
         std::nullopt, HistoryProblem::WriteFailed},
        {"a full disk", {}, 0, HistoryProblem::DiskFull},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(file);
        record(spring, {});
        if (!c.trigger.isEmpty()) {
            ASSERT_TRUE(execute(file, c.trigger).first);
        }
        HistoryStore store(list);
        store.setFreeSpace([&](const QString&) { return c.freeSpace; });
        ASSERT_TRUE(store.open(HistoryStore::Mode::Write));
        EXPECT_FALSE(store.recordGraphRelease(winter, {{"a.com", found("a.com", 3, 1)}, {"b.com", notFound("b.com")}}));
        EXPECT_EQ(store.problem(), c.problem);
        EXPECT_FALSE(store.isOpen());
        ASSERT_TRUE(store.open(HistoryStore::Mode::Read));
        EXPECT_EQ(store.graphReleases(), QList<GraphRelease>{spring});
        EXPECT_EQ(stored(store), QStringList{});
        EXPECT_EQ(store.domainsWithoutGraphFigures(winter.id, {"a.com"}, false), QList<QByteArray>{"a.com"});
    }
}

// Histories of 1.2 (version 1), 1.3 (version 2) and 1.4 (version 3) hold no web graph: they are read as they stand,
// and the first write takes them to version 4 with their runs.
TEST_F(GraphHistoryTest, AnOlderHistoryHasNoFiguresUntilItsFirstWrite)
{
    // What 1.4 made: the present schema without the web graph.
    const auto version3 = [&] {
        {
            HistoryStore store(list);
            if (!store.open(HistoryStore::Mode::Write) || !store.beginRun(readAt, FrontEnd::Window) ||
                !store.endRun(readAt, false) || !store.beginRun(readAt.addDays(1), FrontEnd::Window) ||
                !store.endRun(readAt.addDays(1), false))
                return false;
        }
        return execute(file, u"DROP TABLE graph_figures"_s).first &&
               execute(file, u"DROP TABLE graph_release"_s).first && execute(file, u"PRAGMA user_version = 3"_s).first;
    };
    const auto copy = [this](const char* name) {
        return [this, name] {
            return QFile::copy(QStringLiteral(BRENLOW_TEST_DATA_DIR "/history/") + QLatin1String(name), file) &&
                   QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        };
    };
    const struct {
        const char* what;
        std::function<bool()> make;
    } cases[] = {{"1.2.0", copy("brenlow-1.2.0.history.sqlite")},
                 {"1.3.0", copy("brenlow-1.3.0.history.sqlite")},
                 {"version 3", version3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(file);
        ASSERT_TRUE(c.make());
        QFile original(file);
        const auto bytes = [&] { return original.open(QIODevice::ReadOnly) ? original.readAll() : QByteArray(); };
        const QByteArray before = bytes();
        original.close();
        {
            HistoryStore store(list);
            ASSERT_TRUE(store.open(HistoryStore::Mode::Read)) << store.problemText().toStdString();
            EXPECT_EQ(store.runs().size(), 2);
            EXPECT_EQ(store.graphReleases(), QList<GraphRelease>{});
            EXPECT_EQ(stored(store), QStringList{});
            EXPECT_EQ(store.domainsWithoutGraphFigures(winter.id, {"a.com"}, false), QList<QByteArray>{"a.com"});
        }
        EXPECT_EQ(bytes(), before);
        original.close();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"brenlow.txt.history.sqlite"_s});

        record(winter, {{"a.com", found("a.com", 3, 1)}});
        HistoryStore store(list);
        ASSERT_TRUE(store.open(HistoryStore::Mode::Read));
        EXPECT_EQ(store.runs().size(), 2);
        EXPECT_EQ(stored(store), QStringList{u"a.com cc-main-2026-jan-feb-mar a.com 3 1"_s});
        EXPECT_EQ(execute(file, u"PRAGMA user_version"_s).second, 4);
    }
}

TEST_F(GraphHistoryTest, TheDomainsWithoutFiguresAreThoseStillToBeRead)
{
    {
        HistoryStore missing(list);
        ASSERT_TRUE(missing.open(HistoryStore::Mode::Read));
        EXPECT_EQ(missing.domainsWithoutGraphFigures(winter.id, {"a.com", "b.com"}, false),
                  (QList<QByteArray>{"a.com", "b.com"}));
        EXPECT_EQ(missing.graphReleases(), QList<GraphRelease>{});
        EXPECT_EQ(stored(missing), QStringList{});
        EXPECT_FALSE(QFile::exists(file));
    }
    record(winter,
           {{"a.com", found("a.com", 3, 1)}, {"b.com", found("b.com", 3, std::nullopt)}, {"c.com", notFound("c.com")}});
    record(spring, {{"d.com", found("d.com", 3, 1)}});
    const QList<QByteArray> all{"a.com", "b.com", "c.com", "d.com", "e.com"};
    const struct {
        QString release;
        QList<QByteArray> domains;
        bool needLinkingDomains;
        QList<QByteArray> without;
    } cases[] = {
        {winter.id, all, false, {"d.com", "e.com"}},
        {winter.id, all, true, {"b.com", "d.com", "e.com"}},
        {spring.id, {"e.com", "d.com", "a.com"}, true, {"e.com", "a.com"}},
        {u"cc-main-2025-oct-nov-dec"_s, {"b.com", "a.com"}, false, {"b.com", "a.com"}},
        {winter.id, {}, true, {}},
    };
    HistoryStore store(list);
    ASSERT_TRUE(store.open(HistoryStore::Mode::Read));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.release.toStdString() + (c.needLinkingDomains ? " with linking domains" : ""));
        EXPECT_EQ(store.domainsWithoutGraphFigures(c.release, c.domains, c.needLinkingDomains), c.without);
    }
}

} // namespace

namespace {

TEST_F(GraphHistoryTest, TheNewestReleaseIsTheOneOfTheLatestCrawlWhenEverItWasRead)
{
    const GraphRelease undated{u"mirror-copy"_s, {}, 5, 6};
    record(spring, {{"a.com", found("a.com", 4, 0)}, {"b.com", found("b.com", 1, 2)}});
    record(winter, {{"a.com", found("a.com", 3, 9)}, {"c.com", notFound("c.com")}});
    record(undated, {{"b.com", found("b.com", 7, 8)}});
    HistoryStore store(list);
    ASSERT_TRUE(store.open(HistoryStore::Mode::Read));
    const auto latest = latestGraphFigures(store);
    ASSERT_TRUE(latest);
    QStringList chosen;
    for (const QByteArray& domain : {QByteArray("a.com"), QByteArray("b.com"), QByteArray("c.com")})
        chosen.append(QString::fromLatin1(domain) + u' ' + latest->value(domain).release.id);
    EXPECT_EQ(chosen, (QStringList{u"a.com cc-main-2026-apr-may-jun"_s, u"b.com mirror-copy"_s,
                                   u"c.com cc-main-2026-jan-feb-mar"_s}));
    EXPECT_EQ(latestGraphFigures(store, {"c.com"})->size(), 1);
}

TEST(GraphReleaseTime, IsTheMondayOfTheLatestCrawlsWeek)
{
    const QDateTime fallback(QDate(2030, 1, 1), QTime(12, 0), Qt::UTC);
    const std::pair<QStringList, QDate> cases[] = {
        {{u"CC-MAIN-2026-17"_s, u"CC-MAIN-2026-26"_s}, QDate(2026, 6, 22)},
        {{u"CC-MAIN-2021-04"_s}, QDate(2021, 1, 25)},
        {{u"CC-MAIN-2027-01"_s}, QDate(2027, 1, 4)},
        {{u"CC-MAIN-2026-01"_s}, QDate(2025, 12, 29)}, // week 1 of 2026 begins in 2025
        {{u"CC-MAIN-2026-99"_s}, fallback.date()},
        {{u"crawl of March"_s}, fallback.date()},
        {{}, fallback.date()},
    };
    for (const auto& [crawls, date] : cases) {
        const QDateTime time = graphReleaseTime({u"r"_s, crawls, 0, 0}, fallback);
        EXPECT_EQ(time.date(), date) << crawls.join(u' ').toStdString();
        EXPECT_EQ(time.timeSpec(), Qt::UTC);
    }
}

} // namespace
