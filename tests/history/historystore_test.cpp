#include "history/historystore.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QDateTime utc(int day, int hour, int minute, int ms = 0)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute).addMSecs(ms), Qt::UTC);
}

HistoryFetch counted(const QDateTime& at, qint64 count)
{
    return {at, count, {}, {}};
}

HistoryFetch failed(const QDateTime& at, FailureDetail failure)
{
    return {at, std::nullopt, failure, {}};
}

// a.com in a run that started at start: four counts and Google's 503; b.com with counts only.
QList<DomainFetches> twoDomains(const QDateTime& start, qint64 base)
{
    DomainFetches a("a.com");
    DomainFetches b("b.com");
    for (int i = 0; i < 5; ++i) {
        const auto e = static_cast<std::size_t>(i);
        a.engines[e] = counted(start.addMSecs(100 * (i + 1)), base + i);
        b.engines[e] = counted(start.addMSecs(1000 + 100 * i), 10 * base + i);
    }
    a.engines[2] = failed(start.addMSecs(300), {FetchFailure::ErrorStatus, 503, "Service Unavailable", 0, 0});
    b.engines[4] = failed(start.addMSecs(1400), {FetchFailure::ShortBody, 0, {}, 1000, 73});
    return {a, b};
}

void expectSameFetch(const HistoryFetch& actual, const HistoryFetch& expected)
{
    EXPECT_EQ(actual.at, expected.at);
    EXPECT_EQ(actual.count, expected.count);
    EXPECT_EQ(actual.failure.kind, expected.failure.kind);
    EXPECT_EQ(actual.failure.status, expected.failure.status);
    EXPECT_EQ(actual.failure.statusText, expected.failure.statusText);
    EXPECT_EQ(actual.failure.contentLength, expected.failure.contentLength);
    EXPECT_EQ(actual.failure.bodyLength, expected.failure.bodyLength);
}

struct HistoryStoreTest : ::testing::Test {
    QTemporaryDir dir;
    QString list = dir.filePath(u"brenlow.txt"_s);
    QString file = dir.filePath(u"brenlow.txt.history.sqlite"_s);

    // Records two runs: the first on 1 December ended normally from the window, the second cancelled from the
    // command line on 2 December.
    void recordTwoRuns()
    {
        HistoryStore store(list);
        ASSERT_TRUE(store.open(HistoryStore::Mode::Write)) << store.problemText().toStdString();
        ASSERT_TRUE(store.beginRun(utc(1, 9, 0), FrontEnd::Window));
        for (const DomainFetches& fetches : twoDomains(utc(1, 9, 0), 1))
            ASSERT_TRUE(store.recordDomain(fetches));
        ASSERT_TRUE(store.endRun(utc(1, 9, 5), false));
        ASSERT_TRUE(store.beginRun(utc(2, 9, 0), FrontEnd::CommandLine));
        ASSERT_TRUE(store.recordDomain(twoDomains(utc(2, 9, 0), 2)[0]));
        ASSERT_TRUE(store.endRun(utc(2, 9, 1), true));
    }

    QByteArray fileBytes() const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

TEST_F(HistoryStoreTest, ReadsBackEveryFetchOfEveryRun)
{
    EXPECT_EQ(HistoryStore::pathFor(list), file);
    recordTwoRuns();

    HistoryStore reader(list);
    ASSERT_TRUE(reader.open(HistoryStore::Mode::Read));
    const QList<HistoryRun> runs = reader.runs();
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs[0].started, utc(1, 9, 0));
    EXPECT_EQ(runs[0].ended, utc(1, 9, 5));
    EXPECT_EQ(runs[0].frontEnd, FrontEnd::Window);
    EXPECT_FALSE(runs[0].cancelled);
    EXPECT_EQ(runs[1].frontEnd, FrontEnd::CommandLine);
    EXPECT_TRUE(runs[1].cancelled);
    ASSERT_EQ(runs[0].domains.size(), 2);
    ASSERT_EQ(runs[1].domains.size(), 1);
    const QList<DomainFetches> expected = twoDomains(utc(1, 9, 0), 1);
    for (int d = 0; d < 2; ++d) {
        EXPECT_EQ(runs[0].domains[d].domain, expected[d].domain);
        for (std::size_t e = 0; e < 5; ++e)
            expectSameFetch(runs[0].domains[d].engines[e], expected[d].engines[e]);
    }

    // One domain, and a window of time.
    const QList<HistoryRun> b = reader.runs({"b.com"});
    ASSERT_EQ(b.size(), 1);
    EXPECT_EQ(b[0].domains.size(), 1);
    EXPECT_EQ(b[0].domains[0].engines[1].count, 11);
    EXPECT_EQ(reader.runs({"a.com"}, utc(2, 0, 0)).size(), 1);
    EXPECT_EQ(reader.runs({}, {}, utc(1, 23, 59)).size(), 1);
    EXPECT_EQ(reader.runs({"c.com"}).size(), 0);
}

// The last fetch of each engine for each domain named, by the runs' starts: from the newest run that made it, be it
// the newest of all (a list of many domains) or one far back (a domain the later runs left out).
TEST_F(HistoryStoreTest, TheLastFetchesOfTheDomainsNamedAreTheNewestOfEach)
{
    QList<QByteArray> domains;
    for (int d = 0; d < 12; ++d)
        domains.append("d" + QByteArray::number(d) + ".com");
    const auto run = [&](HistoryStore& store, const QDateTime& start, const QList<QByteArray>& names) {
        ASSERT_TRUE(store.beginRun(start, FrontEnd::Window));
        for (const QByteArray& name : names) {
            DomainFetches fetches(name);
            for (int e = 0; e < 5; ++e)
                fetches.engines[e] = counted(start.addSecs(e + 1), start.date().day() * 10 + e);
            ASSERT_TRUE(store.recordDomain(fetches));
        }
        ASSERT_TRUE(store.endRun(start.addSecs(60), false));
    };
    {
        HistoryStore store(list);
        ASSERT_TRUE(store.open(HistoryStore::Mode::Write));
        run(store, utc(1, 9, 0), domains);
        // d0.com's Google fails on the 2nd, which no later run asks about d0.com again.
        ASSERT_TRUE(store.beginRun(utc(2, 9, 0), FrontEnd::Window));
        DomainFetches d0("d0.com");
        d0.engines[2] = failed(utc(2, 9, 1), {FetchFailure::TimedOut, 0, {}, 0, 0});
        ASSERT_TRUE(store.recordDomain(d0));
        ASSERT_TRUE(store.endRun(utc(2, 9, 2), false));
        run(store, utc(3, 9, 0), domains.mid(1));
    }
    HistoryStore store(list);
    ASSERT_TRUE(store.open(HistoryStore::Mode::Read));
    QMap<QString, QString> last;
    ASSERT_TRUE(store.lastFetches(domains + QList<QByteArray>{"unknown.com"}, [&](const QByteArray& domain, int engine,
                                                                                  const HistoryFetch& fetch) {
        const QString key = QString::fromLatin1(domain) + u'/' + QString::number(engine);
        EXPECT_FALSE(last.contains(key)) << key.toStdString();
        last.insert(key, fetch.count ? QString::number(*fetch.count) : failureKindName(fetch.failure.kind));
    }));
    EXPECT_EQ(last.size(), 60);
    EXPECT_EQ(last.value(u"d0.com/0"_s), u"10"_s);
    EXPECT_EQ(last.value(u"d0.com/2"_s), u"timed-out"_s);
    EXPECT_EQ(last.value(u"d0.com/4"_s), u"14"_s);
    EXPECT_EQ(last.value(u"d11.com/2"_s), u"32"_s);
}

TEST_F(HistoryStoreTest, RunsAreToldApartByAnIdentityOfTheirOwnNotByTheClock)
{
    HistoryStore store(list);
    ASSERT_TRUE(store.open(HistoryStore::Mode::Write));
    DomainFetches partial("a.com");
    partial.engines[0] = counted(utc(3, 8, 0, 5), 7);
    // Two runs in one millisecond, one while the clock said 2099, then one on the right day again; the clock is
    // set back during the last, whose end the clock puts before its start.
    const QDateTime in2099(QDate(2099, 1, 1), QTime(0, 0), Qt::UTC);
    const std::pair<QDateTime, QDateTime> times[] = {
        {utc(3, 8, 0), utc(3, 8, 0, 10)},
        {utc(3, 8, 0), utc(3, 8, 0, 10)},
        {in2099, in2099.addSecs(5)},
        {utc(4, 8, 0), utc(4, 7, 0)},
    };
    for (const auto& [started, ended] : times) {
        ASSERT_TRUE(store.beginRun(started, FrontEnd::Window));
        partial.engines[0].at = started.addMSecs(5);
        ASSERT_TRUE(store.recordDomain(partial));
        ASSERT_TRUE(store.endRun(ended, true));
    }
    const QList<HistoryRun> runs = store.runs();
    ASSERT_EQ(runs.size(), 4);
    EXPECT_EQ(runs[0].started, utc(3, 8, 0));
    EXPECT_EQ(runs[1].started, utc(3, 8, 0));
    EXPECT_NE(runs[0].identity, runs[1].identity);
    EXPECT_EQ(runs[2].started, utc(4, 8, 0)) << "a wrong clock misdates its own run only";
    EXPECT_EQ(runs[2].ended, utc(4, 8, 0));
    EXPECT_EQ(runs[3].started, in2099);
    EXPECT_EQ(runs[1].domains[0].engines[0].at, utc(3, 8, 0, 5));
    EXPECT_FALSE(runs[1].domains[0].engines[1].made());
    QSet<QString> identities;
    for (const HistoryRun& run : runs)
        identities.insert(run.identity);
    EXPECT_EQ(identities.size(), 4);
}

TEST_F(HistoryStoreTest, ImportingRunsAgainAddsNothing)
{
    recordTwoRuns();
    QList<HistoryRun> exported;
    {
        HistoryStore store(list);
        ASSERT_TRUE(store.open(HistoryStore::Mode::Read));
        exported = store.runs();
    }
    ASSERT_TRUE(QFile::remove(file));
    HistoryStore store(list);
    ASSERT_TRUE(store.open(HistoryStore::Mode::Write));
    QString error;
    EXPECT_EQ(store.import(exported, error), 15) << error.toStdString();
    EXPECT_EQ(store.import(exported, error), 0);
    const QList<HistoryRun> again = store.runs();
    ASSERT_EQ(again.size(), 2);
    EXPECT_EQ(again[1].cancelled, true);
    EXPECT_EQ(again[1].domains.size(), 1);
    EXPECT_EQ(again[0].identity, exported[0].identity);
    expectSameFetch(again[0].domains[0].engines[2], exported[0].domains[0].engines[2]);

    // A run given otherwise than the history holds it leaves nothing of the import behind.
    HistoryRun extra = exported[0];
    extra.identity = u"another"_s;
    HistoryRun changed = exported[1];
    changed.cancelled = false;
    EXPECT_EQ(store.import({extra, changed}, error), std::nullopt);
    EXPECT_EQ(error, u"line 2: the run %1 is not cancelled here but cancelled in the history"_s.arg(changed.identity));
    EXPECT_EQ(store.runs().size(), 2);
}

// Each case sets up a history the program cannot use; the store says so and the file stays as it was.
TEST_F(HistoryStoreTest, AHistoryThatCannotBeUsedIsLeftAsItIs)
{
    const auto writeFile = [this](const QByteArray& bytes) {
        QFile f(file);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    // Another program's statement on the file.
    const auto execute = [this](const QString& statement) {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other"_s);
        db.setDatabaseName(file);
        const bool done = db.open() && QSqlQuery(statement, db).isActive();
        db.close();
        db = {};
        QSqlDatabase::removeDatabase(u"other"_s);
        return done;
    };
    const auto newerSchema = [&] {
        recordTwoRuns();
        return execute(u"PRAGMA user_version = 5"_s);
    };
    const auto foreignDatabase = [&] { return execute(u"CREATE TABLE notes(text)"_s); };
    // Another program's database that happens to be of version 1, with tables of the same names.
    const auto foreignVersion1 = [&] {
        return execute(u"CREATE TABLE run(id INTEGER PRIMARY KEY, started, note)"_s) &&
               execute(u"CREATE TABLE domain(id, name)"_s) && execute(u"CREATE TABLE fetches(a, b)"_s) &&
               execute(u"PRAGMA user_version = 1"_s);
    };
    const struct {
        const char* what;
        std::function<bool()> make;
        HistoryProblem problem;
        const char* text;
    } cases[] = {
        {"garbage", [&] { return writeFile(QByteArray(4096, 'x')); }, HistoryProblem::NotADatabase,
         "is not a Brenlow history (file is not a database); it is left as it is"},
        {"another program's database", foreignDatabase, HistoryProblem::NotADatabase,
         "is not a Brenlow history; it is left as it is"},
        {"another program's database of version 1", foreignVersion1, HistoryProblem::NotADatabase,
         "is not a Brenlow history; it is left as it is"},
        {"newer schema", newerSchema, HistoryProblem::NewerSchema,
         "was written by a newer Brenlow; it is left as it is"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(file);
        ASSERT_TRUE(c.make());
        const QByteArray before = fileBytes();
        for (const HistoryStore::Mode mode : {HistoryStore::Mode::Write, HistoryStore::Mode::Read}) {
            HistoryStore store(list);
            EXPECT_FALSE(store.open(mode));
            EXPECT_FALSE(store.isOpen());
            EXPECT_EQ(store.problem(), c.problem);
            EXPECT_EQ(store.problemText(), u"the history file %1 "_s.arg(file) + QString::fromUtf8(c.text));
            EXPECT_FALSE(store.beginRun(utc(5, 9, 0), FrontEnd::Window));
        }
        EXPECT_EQ(fileBytes(), before);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"brenlow.txt.history.sqlite"_s});
    }
}

// A history with a damaged page is not written into: a new run would be lost with it, or take the rest along.
TEST_F(HistoryStoreTest, AHistoryWithADamagedPageIsLeftAsItIsWhenOpenedToWrite)
{
    recordTwoRuns();
    // The first page of the fetches, found as another program would, then overwritten but for its header.
    int page = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other"_s);
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery query(u"SELECT rootpage FROM sqlite_master WHERE name = 'fetch'"_s, db);
        ASSERT_TRUE(query.next());
        page = query.value(0).toInt();
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(u"other"_s);
    QFile damaged(file);
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
    ASSERT_GE(damaged.size(), page * 1024);
    ASSERT_TRUE(damaged.seek((page - 1) * 1024 + 12));
    ASSERT_EQ(damaged.write(QByteArray(1000, '\xA5')), 1000);
    damaged.close();
    const QByteArray before = fileBytes();

    HistoryStore store(list);
    EXPECT_FALSE(store.open(HistoryStore::Mode::Write));
    EXPECT_EQ(store.problem(), HistoryProblem::Damaged);
    EXPECT_TRUE(store.problemText().startsWith(u"the history file %1 is damaged ("_s.arg(file)))
        << store.problemText().toStdString();
    EXPECT_TRUE(store.problemText().endsWith(u"); it is left as it is"_s)) << store.problemText().toStdString();
    EXPECT_FALSE(store.beginRun(utc(5, 9, 0), FrontEnd::Window));
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"brenlow.txt.history.sqlite"_s});
}

TEST_F(HistoryStoreTest, AHistoryLockedByAnotherConnectionIsReported)
{
    recordTwoRuns();
    QSqlDatabase other = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other"_s);
    other.setDatabaseName(file);
    ASSERT_TRUE(other.open());
    ASSERT_TRUE(QSqlQuery(u"BEGIN EXCLUSIVE"_s, other).isActive());
    // An exclusive lock keeps out writers and readers alike until it goes.
    HistoryStore store(list, std::chrono::milliseconds(50));
    EXPECT_FALSE(store.open(HistoryStore::Mode::Write));
    EXPECT_EQ(store.problem(), HistoryProblem::Locked);
    EXPECT_EQ(store.problemText(), u"the history file %1 is locked by another program"_s.arg(file));
    QSqlQuery(u"ROLLBACK"_s, other);
    other.close();
    other = {};
    QSqlDatabase::removeDatabase(u"other"_s);
    EXPECT_TRUE(store.open(HistoryStore::Mode::Write));
    EXPECT_EQ(store.runs().size(), 2);
    HistoryStore reader(list, std::chrono::milliseconds(50));
    EXPECT_TRUE(reader.open(HistoryStore::Mode::Read));
}

TEST_F(HistoryStoreTest, AFolderThatCannotBeWrittenKeepsNoHistory)
{
    // Root may write anywhere a permission bit forbids, so the folder is one the kernel makes read-only for all.
    const QString readOnlyList = ::geteuid() == 0 ? u"/proc/self/brenlow.txt"_s : dir.filePath(u"ro/brenlow.txt"_s);
    if (::geteuid() != 0) {
        ASSERT_TRUE(QDir(dir.path()).mkdir(u"ro"_s));
        ASSERT_TRUE(QFile::setPermissions(dir.filePath(u"ro"_s), QFile::ReadOwner | QFile::ExeOwner));
    }
    HistoryStore store(readOnlyList);
    EXPECT_FALSE(store.open(HistoryStore::Mode::Write));
    EXPECT_EQ(store.problem(), HistoryProblem::NotWritable);
    EXPECT_TRUE(store.problemText().startsWith(
        u"the history file %1 cannot be written"_s.arg(HistoryStore::pathFor(readOnlyList))))
        << store.problemText().toStdString();
    EXPECT_FALSE(QFile::exists(HistoryStore::pathFor(readOnlyList)));
    // To read, a history that is not there is an empty one.
    EXPECT_TRUE(store.open(HistoryStore::Mode::Read));
    EXPECT_TRUE(store.runs().isEmpty());
}

} // namespace
