#include "cli/clifixture.h"

using namespace Qt::StringLiterals;

namespace {

// The same requests and the same saved list as the window's: both front ends run the same update run.
TEST_F(CommandLineTest, UpdateSendsTheRequestsAndSavesTheCounts)
{
    m_server.serveDomain("a.com", {12345, 0, 7, 1000000, 3});
    m_server.serveDomain("b.com", {1, 2, 3, 4, 5});
    writeList(twoDomains);
    const Outcome outcome = run({u"update"_s});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, ""); // no progress unless standard error is a terminal
    EXPECT_EQ(listFile(), "a.com|AllTheWeb=12,345|AltaVista=0|Google=7|HotBot=1,000,000|MSN=3|\r\n"
                          "b.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n");
    EXPECT_EQ(targets(), aComQueries + linkQueries("b.com"));
}

TEST_F(CommandLineTest, ExitStatusSaysWhatHappened)
{
    m_server.serveDomain("a.com", {100, 200, 300, 400, 500});
    m_server.serveDomain("b.com", {1, 2, 3, 4, 5});
    m_server.answer(linkQueries("b.com")[2], ServerReply::page("")); // closed before a byte: failed
    const QByteArray aUpdated = "a.com|AllTheWeb=100|AltaVista=200|Google=300|HotBot=400|MSN=500|\r\n" + bRecord;
    const QByteArray bUpdated = aRecord + "b.com|AllTheWeb=1|AltaVista=2|Google=8|HotBot=4|MSN=5|\r\n";
    const struct {
        QStringList arguments;
        QString list; // empty: the test's list
        int status;
        QByteArray firstErrorLine; // empty: nothing on standard error
        QList<QByteArray> requests;
        QByteArray saved;
    } cases[] = {
        {{u"update"_s, u"HTTP://A.COM/"_s}, {}, 0, "", aComQueries, aUpdated},
        {{u"update"_s, u"b.com"_s},
         {},
         1,
         "brenlow-cli: b.com, Google: not updated (the server closed the connection without an answer); keeps 8",
         linkQueries("b.com"),
         bUpdated}, // the failed count kept
        {{u"update"_s, u"a.com"_s, u"c.com"_s}, {}, 2, "brenlow-cli: c.com is not in the list", {}, twoDomains},
        {{}, {}, 2, "brenlow-cli: no command given; brenlow-cli --help lists the commands", {}, twoDomains},
        {{u"fetch"_s},
         {},
         2,
         "brenlow-cli: there is no command fetch; brenlow-cli --help lists the commands",
         {},
         twoDomains},
        {{u"import"_s},
         {},
         2,
         "brenlow-cli: wrong number of arguments for import; its usage is brenlow-cli import FILE",
         {},
         twoDomains},
        {{u"add"_s, u"a.com"_s, u"localhost"_s},
         {},
         2,
         "brenlow-cli: This does not appear to be a valid domain: localhost",
         {},
         twoDomains},
        // /proc/self/mem cannot be read, by root either.
        {{u"show"_s},
         u"/proc/self/mem"_s,
         3,
         "brenlow-cli: the domain list /proc/self/mem cannot be read: " + QByteArray(std::strerror(EIO)),
         {},
         twoDomains},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        writeList(twoDomains);
        const qsizetype before = m_server.requests().size();
        const Outcome outcome = run(c.arguments, c.list);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err.isEmpty(), c.status == 0) << outcome.err.toStdString();
        EXPECT_EQ(outcome.err.split('\n').first(), c.firstErrorLine) << outcome.err.toStdString();
        EXPECT_EQ(targets(before), c.requests);
        EXPECT_EQ(listFile(), c.saved);
    }
}

TEST_F(CommandLineTest, UpdateTellsEveryFetchThatFailedAndSumsUp)
{
    m_server.serveDomain("a.com", {100, 200, 300, 400, 500});
    m_server.serveDomain("b.com", {1, 2, 3, 4, 5});
    m_server.answer(aComQueries.at(2), ServerReply::page(httpPage("", "503 Service Unavailable")));
    m_server.answer(linkQueries("b.com").at(4), ServerReply::page(httpPage("<p>No results</p>")));
    writeList("a.com|AllTheWeb=1|AltaVista=2|Google=3,000|HotBot=4|MSN=5|\r\nb\x1b[2J.com|\r\n");
    m_server.serveDomain("b%1B%5B2J.com", {1, 2, 3, 4, 5});
    m_server.answer(linkQueries("b%1B%5B2J.com").at(4), ServerReply::page(httpPage("<p>No results</p>")));
    const Outcome outcome = run({u"update"_s});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    const QList<QByteArray> lines = outcome.err.split('\n');
    ASSERT_EQ(lines.size(), 4) << outcome.err.toStdString();
    EXPECT_EQ(lines[0],
              "brenlow-cli: a.com, Google: not updated (the server answered 503 Service Unavailable); keeps 3,000");
    // A control byte of a domain edited by hand is not written to the terminal.
    EXPECT_EQ(lines[1], "brenlow-cli: b\\x1b[2J.com, MSN: not updated (the page states no count); keeps 0");
    EXPECT_TRUE(
        QRegularExpression(
            uR"(^brenlow-cli: Updated 8 of 10 counts at \d{1,2}:\d{2}\s[AP]M; 2 could not be updated and keep their earlier counts\.$)"_s)
            .match(QString::fromUtf8(lines[2]))
            .hasMatch())
        << lines[2].toStdString();
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(listFile(), "a.com|AllTheWeb=100|AltaVista=200|Google=3,000|HotBot=400|MSN=500|\r\n"
                          "b\x1b[2J.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=0|\r\n");

    // The history's totals are the rows' totals after the run: a count kept counts, and says it was kept.
    const QList<QByteArray> history = run({u"history"_s, u"--format=csv"_s, u"--no-header"_s}).out.split('\n');
    ASSERT_EQ(history.size(), 3);
    EXPECT_TRUE(history[0].endsWith(",a.com,4200,100,200,,400,500\r")) << history[0].toStdString();
    EXPECT_TRUE(history[1].endsWith(",b\x1b[2J.com,10,1,2,3,4,\r")) << history[1].toStdString();
    const QByteArray json = run({u"history"_s, u"--format=json"_s, u"a.com"_s}).out;
    EXPECT_TRUE(json.contains(R"("failures":{"Google":{"detail":"503 Service Unavailable","failure":"error-status",)"
                              R"("kept":3000}})"))
        << json.toStdString();
    EXPECT_TRUE(json.contains(R"("total":4200)")) << json.toStdString();
    const QByteArray table = run({u"history"_s, u"a.com"_s}).out;
    EXPECT_TRUE(table.contains("a.com   4,200        100        200  3,000 (kept)     400  500\n"))
        << table.toStdString();
}

TEST_F(CommandLineTest, ShowAddRemoveAndImportEditTheListAsTheWindowDoes)
{
    writeList("a.com|AllTheWeb=1,234|AltaVista=0|Google=56|HotBot=0|MSN=7|\r\nb.com|\r\n");
    const QString importFile = m_dir.filePath(u"import.txt"_s);
    writeFile(importFile, "\xEF\xBB\xBFx.org,a comment\nA.COM\r\nword\nhttps://user:pw@Y.org:8080/\n\x1b[2J\r\n");
    EXPECT_EQ(run({u"add"_s, u"HTTP://New.COM/page.html"_s, u"A.com"_s}),
              (Outcome{0, "1 added, 1 already listed\n", ""}));
    EXPECT_EQ(run({u"remove"_s, u"B.COM"_s}), (Outcome{0, "", ""}));
    EXPECT_EQ(run({u"import"_s, importFile}),
              (Outcome{1, "2 added, 1 already listed, 2 rejected (the first: word)\n", ""}));
    EXPECT_EQ(listFile(), "a.com|AllTheWeb=1,234|AltaVista=0|Google=56|HotBot=0|MSN=7|\r\n"
                          "new.com|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n"
                          "x.org|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n"
                          "Y.org|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n");
    EXPECT_EQ(run({u"show"_s}), (Outcome{0,
                                         "Domain   Total  AllTheWeb  AltaVista  Google  HotBot  MSN\n"
                                         "a.com    1,297      1,234          0      56       0    7\n"
                                         "new.com      0          0          0       0       0    0\n"
                                         "x.org        0          0          0       0       0    0\n"
                                         "Y.org        0          0          0       0       0    0\n",
                                         ""}));
}

// The tests from here on start brenlow-cli as a process of its own.

TEST_F(CommandLineTest, CtrlCDuringAStalledFetchKeepsTheCountsFoundAndSaves)
{
    m_server.serveDomain("a.com", {100, 200, 300, 400, 500});
    m_server.answer(aComQueries.at(2), ServerReply::silence());
    writeList(twoDomains);
    const Outcome outcome = runProcess({u"update"_s}, {}, [&](QProcess& process) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.requestCount(aComQueries.at(2)) == 1; }, 30000));
        ::kill(pid_t(process.processId()), SIGINT);
    });
    EXPECT_EQ(outcome.status, 130);
    EXPECT_EQ(targets(), aComQueries.first(3));
    EXPECT_EQ(listFile(), aStoppedAtGoogle + bRecord);
}

TEST_F(CommandLineTest, OneLockForTheListFileWhateverPathLeadsToIt)
{
    const QString link = m_dir.filePath(u"link.txt"_s);
    const QString linkToLink = m_dir.filePath(u"link-to-link.txt"_s);
    ASSERT_TRUE(QFile::link(listPath(), link));
    ASSERT_TRUE(QFile::link(link, linkToLink));
    const struct {
        QString first; // holds the list during a run that waits for an engine
        QString second;
    } cases[] = {{link, listPath()}, {listPath(), link}, {linkToLink, link}};
    m_server.serveDomain("a.com", {100, 200, 300, 400, 500});
    m_server.answer(aComQueries.at(2), ServerReply::silence());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.toStdString() + " then " + c.second.toStdString());
        writeList(twoDomains);
        const int before = m_server.requestCount(aComQueries.at(2));
        Outcome second;
        Outcome third;
        const Outcome first = runProcess({u"update"_s}, c.first, [&](QProcess& process) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.requestCount(aComQueries.at(2)) == before + 1; }, 30000));
            second = runProcess({u"add"_s, u"new.com"_s}, c.second);
            // What the lock file says is for messages; a lock that is held blocks whatever it says.
            writeFile(listPath() + u".lock"_s, "");
            third = runProcess({u"add"_s, u"new.com"_s}, c.second);
            ::kill(pid_t(process.processId()), SIGINT);
            second.err.append("|pid " + QByteArray::number(process.processId()));
        });
        EXPECT_EQ(first.status, 130);
        EXPECT_EQ(second.status, 3);
        const QByteArray pid = second.err.sliced(second.err.lastIndexOf("|pid ") + 5);
        EXPECT_EQ(second.err, "brenlow-cli: the domain list " + c.second.toUtf8() +
                                  " is already open in another Brenlow (process " + pid + " on " +
                                  QSysInfo::machineHostName().toUtf8() + ")\n|pid " + pid);
        EXPECT_EQ(third.status, 3);
        EXPECT_TRUE(third.err.contains("is already open in another Brenlow (another instance)"))
            << third.err.toStdString();
        // The run saved through its path; the links stay links.
        EXPECT_EQ(listFile(), aStoppedAtGoogle + bRecord);
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_TRUE(QFileInfo(linkToLink).isSymLink());
        EXPECT_FALSE(QFile::exists(listPath() + u".lock"_s));
        EXPECT_FALSE(QFile::exists(link + u".lock"_s));
    }
}

TEST_F(CommandLineTest, ALockFileThatNoRunningBrenlowHoldsIsTakenOver)
{
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    const QByteArray lockFiles[] = {
        "",                                             // a crash before it was written
        "\x01\xff garbled",                             // or while it was
        "2147483646\n/usr/bin/brenlow\n" + host + "\n", // a process that has ended
        "1\n/usr/bin/brenlow\n" + host + "\n",          // a process that is not Brenlow
        QByteArray::number(QCoreApplication::applicationPid()) + "\n/usr/bin/brenlow-cli\n" + host + "\n", // nor this
    };
    for (const QByteArray& lockFile : lockFiles) {
        SCOPED_TRACE(lockFile.toStdString());
        writeList(twoDomains);
        ASSERT_NO_FATAL_FAILURE(writeFile(listPath() + u".lock"_s, lockFile));
        const Outcome outcome = runProcess({u"add"_s, u"new.com"_s});
        EXPECT_EQ(outcome.status, 0) << outcome.err.toStdString();
        EXPECT_EQ(listFile(), twoDomains + "new.com|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n");
        EXPECT_FALSE(QFile::exists(listPath() + u".lock"_s));
    }
}

} // namespace
