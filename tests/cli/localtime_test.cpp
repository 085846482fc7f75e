#include "cli/clifixture.h"
#include "history/historystore.h"

#include <ctime>

using namespace Qt::StringLiterals;

namespace {

// The test's local time is Berlin's, whose clocks go forward at 02:00 on 2026-03-29 and back at 03:00 on
// 2026-10-25; the process's own time zone comes back afterwards.
class BerlinTimeTest : public CommandLineTest {
protected:
    void SetUp() override
    {
        qputenv("TZ", "Europe/Berlin");
        ::tzset();
    }
    void TearDown() override
    {
        if (m_hadZone)
            qputenv("TZ", m_zone);
        else
            qunsetenv("TZ");
        ::tzset();
    }

    // One run a domain, at each instant given.
    void recordRuns(const QStringList& starts)
    {
        HistoryStore store(listPath());
        ASSERT_TRUE(store.open(HistoryStore::Mode::Write)) << store.problemText().toStdString();
        for (const QString& start : starts) {
            const QDateTime started = QDateTime::fromString(start, Qt::ISODateWithMs);
            ASSERT_TRUE(store.beginRun(started, FrontEnd::CommandLine));
            DomainFetches fetches("a.com");
            for (HistoryFetch& fetch : fetches.engines) {
                fetch.at = started.addSecs(1);
                fetch.count = 1;
            }
            ASSERT_TRUE(store.recordDomain(fetches));
            ASSERT_TRUE(store.endRun(started.addSecs(60), false));
        }
    }

private:
    const bool m_hadZone = qEnvironmentVariableIsSet("TZ");
    const QByteArray m_zone = qgetenv("TZ");
};

QByteArray runLine(const char* started)
{
    return QByteArray(started) + ",a.com,5,1,1,1,1,1\r\n";
}

TEST_F(BerlinTimeTest, AnHourThatHappensTwiceIsTakenWholeAndOneThatDoesNotHappenIsRefused)
{
    writeList(aRecord);
    // 02:20 and 02:40 in summer time, then the same local times again in winter time, then 03:00.
    ASSERT_NO_FATAL_FAILURE(
        recordRuns({u"2026-10-25T00:20:00.000Z"_s, u"2026-10-25T00:40:00.000Z"_s, u"2026-10-25T01:20:00.000Z"_s,
                    u"2026-10-25T01:40:00.000Z"_s, u"2026-10-25T02:00:00.000Z"_s}));
    const QByteArray first20 = runLine("2026-10-25T00:20:00.000Z");
    const QByteArray first40 = runLine("2026-10-25T00:40:00.000Z");
    const QByteArray second20 = runLine("2026-10-25T01:20:00.000Z");
    const QByteArray second40 = runLine("2026-10-25T01:40:00.000Z");
    const QByteArray three = runLine("2026-10-25T02:00:00.000Z");
    const QStringList csv{u"history"_s, u"--format=csv"_s, u"--no-header"_s};
    const QByteArray gap = "brenlow-cli: --since 2026-03-29T02:30 names a local time that does not exist: the clocks "
                           "skip it when summer time starts; give a time before or after the change\n";
    const struct {
        QStringList options;
        Outcome outcome;
    } cases[] = {
        {{u"--since=2026-10-25T02:30"_s}, {0, first40 + second20 + second40 + three, ""}},
        {{u"--until=2026-10-25T02:30"_s}, {0, first20 + first40 + second20, ""}},
        {{u"--since=2026-10-25T02:30"_s, u"--until=2026-10-25T02:30"_s}, {0, first40 + second20, ""}},
        {{u"--since=2026-10-25T02:30+01:00"_s}, {0, second40 + three, ""}},
        {{u"--until=2026-10-25T03:00"_s}, {0, first20 + first40 + second20 + second40 + three, ""}},
        {{u"--since=2026-10-25T01:59"_s, u"--until=2026-10-25T02:20"_s}, {0, first20 + first40 + second20, ""}},
        {{u"--since=2026-03-29T02:30"_s}, {2, "", gap}},
        {{u"--until=2026-03-29T02:00:00.000"_s},
         {2, "",
          "brenlow-cli: --until 2026-03-29T02:00:00.000 names a local time that does not exist: the clocks skip it "
          "when summer time starts; give a time before or after the change\n"}},
        {{u"--since=2026-03-29T03:00"_s}, {0, first20 + first40 + second20 + second40 + three, ""}},
        {{u"--until=2026-03-29T01:59:59"_s}, {0, "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.join(u' ').toStdString());
        EXPECT_EQ(run(csv + c.options), c.outcome);
    }
}

TEST_F(BerlinTimeTest, TheProgramReadsTheTimeZoneItIsGiven)
{
    writeList(aRecord);
    ASSERT_NO_FATAL_FAILURE(recordRuns({u"2026-10-25T00:40:00.000Z"_s, u"2026-10-25T01:20:00.000Z"_s}));
    const Outcome twice = runProcess({u"history"_s, u"--format=csv"_s, u"--no-header"_s, u"--since=2026-10-25T02:30"_s,
                                      u"--until=2026-10-25T02:30"_s},
                                     {}, {}, {u"TZ=Europe/Berlin"_s});
    EXPECT_EQ(twice, (Outcome{0, runLine("2026-10-25T00:40:00.000Z") + runLine("2026-10-25T01:20:00.000Z"), ""}));
    EXPECT_EQ(runProcess({u"history"_s, u"--since=2026-03-29T02:30"_s}, {}, {}, {u"TZ=Europe/Berlin"_s}).status, 2);
}

} // namespace
