#include "app/windowfixture.h"

#include <QProcess>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

const QByteArray twoDomains = "a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n"
                              "b.com|AllTheWeb=6|AltaVista=7|Google=8|HotBot=9|MSN=10|\r\n";

const QList<QByteArray> aComQueries = linkQueries("a.com");

QByteArray target(const QByteArray& request)
{
    return request.split(' ').value(1);
}

// brenlow-cli as a process, its requests sent to the engine server, beside the whole program of WindowTest.
class CommandLineTest : public WindowTest {
protected:
    struct Outcome {
        int status = -1; // -1: it did not end by itself
        QByteArray out;
        QByteArray err;
    };

    Outcome cli(const QStringList& arguments, const QString& list = {},
                const std::function<void(QProcess&)>& whileRunning = {})
    {
        QProcess process;
        const QString port = QString::number(m_server.port());
        process.start(QStringLiteral(BRENLOW_CLI), QStringList{u"--list"_s, list.isEmpty() ? listPath() : list,
                                                               u"--connect-to"_s, u"127.0.0.1:"_s + port} +
                                                       arguments);
        EXPECT_TRUE(process.waitForStarted());
        if (whileRunning)
            whileRunning(process);
        EXPECT_TRUE(process.waitForFinished(60000));
        const bool ended = process.exitStatus() == QProcess::NormalExit;
        return {ended ? process.exitCode() : -1, process.readAllStandardOutput(), process.readAllStandardError()};
    }

    QList<QByteArray> targets(qsizetype from = 0)
    {
        QList<QByteArray> paths;
        for (const QByteArray& request : m_server.requests().sliced(from))
            paths.append(target(request));
        return paths;
    }
};

TEST_F(CommandLineTest, UpdateSendsTheWindowsRequestsAndSavesWhatTheWindowSaves)
{
    m_server.serveDomain("a.com", {12345, 0, 7, 1000000, 3});
    m_server.serveDomain("b.com", {1, 2, 3, 4, 5});
    start(twoDomains);
    window().cmdUpdate(0).click();
    window().cmdExit().click();
    const QByteArray windowSaved = listFile();
    const QList<QByteArray> windowRequests = m_server.requests();
    m_program.reset();

    writeList(twoDomains);
    const Outcome outcome = cli({u"update"_s});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, ""); // no progress unless standard error is a terminal
    EXPECT_EQ(listFile(), windowSaved);
    EXPECT_EQ(listFile(), "a.com|AllTheWeb=12,345|AltaVista=0|Google=7|HotBot=1,000,000|MSN=3|\r\n"
                          "b.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n");
    ASSERT_EQ(m_server.requests().size(), 20);
    EXPECT_EQ(m_server.requests().sliced(10), windowRequests);
    EXPECT_EQ(targets(10).first(5), aComQueries);
}

TEST_F(CommandLineTest, ExitStatusSaysWhatHappened)
{
    m_server.serveDomain("a.com", {100, 200, 300, 400, 500});
    m_server.serveDomain("b.com", {1, 2, 3, 4, 5});
    m_server.answer(linkQueries("b.com")[2], ServerReply::page("")); // closed before a byte: failed
    const QByteArray aUpdated =
        "a.com|AllTheWeb=100|AltaVista=200|Google=300|HotBot=400|MSN=500|\r\n" + twoDomains.sliced(56);
    const QByteArray bUpdated = twoDomains.first(56) + "b.com|AllTheWeb=1|AltaVista=2|Google=8|HotBot=4|MSN=5|\r\n";
    const struct {
        QStringList arguments;
        QString list; // empty: the test's list
        int status;
        QList<QByteArray> requests;
        QByteArray saved;
    } cases[] = {
        {{u"update"_s, u"HTTP://A.COM/"_s}, {}, 0, aComQueries, aUpdated},
        {{u"update"_s, u"b.com"_s}, {}, 1, linkQueries("b.com"), bUpdated}, // the failed count kept
        {{u"update"_s, u"a.com"_s, u"c.com"_s}, {}, 2, {}, twoDomains},     // c.com is not in the list
        {{}, {}, 2, {}, twoDomains},
        {{u"fetch"_s}, {}, 2, {}, twoDomains},
        {{u"import"_s}, {}, 2, {}, twoDomains},
        {{u"add"_s, u"a.com"_s, u"localhost"_s}, {}, 2, {}, twoDomains},
        {{u"show"_s}, u"/proc/self/mem"_s, 3, {}, twoDomains}, // unreadable, for root as well
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        writeList(twoDomains);
        const qsizetype before = m_server.requests().size();
        const Outcome outcome = cli(c.arguments, c.list);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.err.isEmpty(), c.status == 0) << outcome.err.toStdString();
        EXPECT_EQ(targets(before), c.requests);
        EXPECT_EQ(listFile(), c.saved);
    }
}

TEST_F(CommandLineTest, CtrlCDuringAStalledFetchKeepsTheCountsFoundAndSaves)
{
    m_server.serveDomain("a.com", {100, 200, 300, 400, 500});
    m_server.answer(aComQueries.at(2), ServerReply::silence());
    writeList(twoDomains);
    const Outcome outcome = cli({u"update"_s}, {}, [&](QProcess& process) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.requestCount(aComQueries.at(2)) == 1; }, 30000));
        ::kill(pid_t(process.processId()), SIGINT);
    });
    EXPECT_EQ(outcome.status, 130);
    EXPECT_EQ(targets(), aComQueries.first(3));
    EXPECT_EQ(listFile(), "a.com|AllTheWeb=100|AltaVista=200|Google=3|HotBot=4|MSN=5|\r\n" + twoDomains.sliced(56));
}

TEST_F(CommandLineTest, AListTheWindowHoldsIsLeftAlone)
{
    start(twoDomains);
    const Outcome outcome = cli({u"add"_s, u"new.com"_s});
    EXPECT_EQ(outcome.status, 3);
    EXPECT_TRUE(outcome.err.contains(listPath().toUtf8())) << outcome.err.toStdString();
    EXPECT_EQ(listFile(), twoDomains);
}

TEST_F(CommandLineTest, ShowAddRemoveAndImportEditTheListAsTheWindowDoes)
{
    writeList("a.com|AllTheWeb=1,234|AltaVista=0|Google=56|HotBot=0|MSN=7|\r\nb.com|\r\n");
    const QString importFile = m_dir.filePath(u"import.txt"_s);
    QFile file(importFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x.org,a comment\nA.COM\r\n");
    file.close();
    EXPECT_EQ(cli({u"add"_s, u"HTTP://New.COM/page.html"_s, u"A.com"_s}).status, 0);
    EXPECT_EQ(cli({u"remove"_s, u"B.COM"_s}).status, 0);
    EXPECT_EQ(cli({u"import"_s, importFile}).status, 0);
    const Outcome shown = cli({u"show"_s});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, "Domain   Total  AllTheWeb  AltaVista  Google  HotBot  MSN\n"
                         "a.com    1,297      1,234          0      56       0    7\n"
                         "new.com      0          0          0       0       0    0\n"
                         "x.org        0          0          0       0       0    0\n");
}

} // namespace
