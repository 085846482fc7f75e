#include "cli/clifixture.h"
#include "cli/terminalruncontrols.h"
#include "domains/listlock.h"
#include "support/lists.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

// A list as another locale wrote it, and one domain that holds what a terminal would act on.
const QByteArray germanList = "a.com|AllTheWeb=1.234|AltaVista=0|Google=56|HotBot=0|MSN=7|\r\n"
                              "we\"ird,\x1b[2J.com|AllTheWeb=n/a|\r\n";

TEST_F(CommandLineTest, OptionsGoAnywhereAndEveryCommandHasItsUsage)
{
    writeList(twoDomains);
    const struct {
        QStringList arguments;
        int status;
        QByteArray out;        // the start of standard output
        QByteArray firstError; // the first line of standard error
    } cases[] = {
        {{u"show"_s, u"--no-header"_s, u"b.com"_s}, 0, "b.com  40  6  7  8  9  10\n", ""},
        {{u"--"_s, u"show"_s, u"--no-header"_s}, 2, "", "brenlow-cli: --no-header is not in the list"},
        {{u"add"_s, u"foo.com"_s, u"--help"_s}, 0, "usage: brenlow-cli [OPTION...] add DOMAIN...\n\nAdd domains", ""},
        {{u"add"_s, u"--"_s, u"--help"_s}, 2, "", "brenlow-cli: This does not appear to be a valid domain: --help"},
        {{u"help"_s, u"import"_s}, 0, "usage: brenlow-cli [OPTION...] import FILE\n", ""},
        {{u"help"_s, u"fetch"_s},
         2,
         "",
         "brenlow-cli: there is no command fetch; brenlow-cli --help lists the commands"},
        {{u"--help-all"_s}, 2, "", "brenlow-cli: --help-all is not an option; brenlow-cli --help lists the options"},
        {{u"update"_s, u"--format=json"_s},
         2,
         "",
         "brenlow-cli: --format is not an option of update; brenlow-cli help update lists its options"},
        {{u"show"_s, u"--wait"_s},
         2,
         "",
         "brenlow-cli: --wait is not an option of show; brenlow-cli help show lists its options"},
        {{u"add"_s, u"--wait=soon"_s, u"c.com"_s},
         2,
         "",
         "brenlow-cli: --wait takes a number of seconds, as --wait=60"},
        {{u"show"_s, u"--format"_s, u"xml"_s}, 2, "", "brenlow-cli: there is no format xml: table, tsv, csv or json"},
        {{u"show"_s, u"--format=json"_s, u"--no-header"_s},
         2,
         "",
         "brenlow-cli: --no-header does not go with --format json"},
        {{u"where"_s}, 0, QFileInfo(listPath()).absoluteFilePath().toUtf8() + '\n', ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const Outcome outcome = run(c.arguments);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_TRUE(outcome.out.startsWith(c.out)) << outcome.out.toStdString();
        EXPECT_EQ(outcome.err.split('\n').first(), c.firstError);
        EXPECT_EQ(listFile(), twoDomains);
    }
}

TEST_F(CommandLineTest, ShowWritesFormatsThatScriptsRead)
{
    writeList(germanList);
    EXPECT_EQ(run({u"show"_s, u"--format=tsv"_s}).out, "domain\ttotal\tAllTheWeb\tAltaVista\tGoogle\tHotBot\tMSN\n"
                                                       "a.com\t1297\t1234\t0\t56\t0\t7\n"
                                                       "we\"ird,\x1b[2J.com\t0\t\t\t\t\t\n");
    EXPECT_EQ(run({u"show"_s, u"--format=csv"_s, u"--no-header"_s}).out,
              "a.com,1297,1234,0,56,0,7\r\n\"we\"\"ird,\x1b[2J.com\",0,,,,,\r\n");
    // A table shows counts as the window does, in the user's locale, whatever form the file holds them in; a
    // domain that would act on a terminal escaped, columns lined up by cells.
    EXPECT_EQ(run({u"show"_s, u"--no-header"_s}).out, "a.com               1,297  1,234  0  56  0  7\n"
                                                      "we\"ird,\\x1b[2J.com      0    n/a             \n");
    for (const auto& [locale, table] :
         {std::pair{"LC_ALL=de_DE.UTF-8", "a.com               1.297  1.234  0  56  0  7\n"},
          std::pair{"LC_ALL=en_US.UTF-8", "a.com               1,297  1,234  0  56  0  7\n"}}) {
        const Outcome shown = runProcess({u"show"_s, u"--no-header"_s}, {}, {}, {QString::fromLatin1(locale)});
        EXPECT_EQ(shown.out, QByteArray(table) + "we\"ird,\\x1b[2J.com      0    n/a             \n") << locale;
    }

    const Outcome json = run({u"show"_s, u"--format"_s, u"json"_s, u"A.COM"_s});
    QJsonParseError error{};
    const QJsonArray records = QJsonDocument::fromJson(json.out, &error).array();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.out.toStdString();
    ASSERT_EQ(records.size(), 1);
    const QJsonObject a = records.first().toObject();
    EXPECT_EQ(a.value(u"domain"_s).toString(), u"a.com"_s);
    EXPECT_EQ(a.value(u"total"_s).toInteger(), 1297);
    const std::pair<QString, int> counts[] = {
        {u"AllTheWeb"_s, 1234}, {u"AltaVista"_s, 0}, {u"Google"_s, 56}, {u"HotBot"_s, 0}, {u"MSN"_s, 7}};
    for (const auto& [engine, count] : counts)
        EXPECT_EQ(a.value(engine).toInteger(-1), count) << engine.toStdString();

    // Totals beyond the range of a count come whole in every format.
    const QByteArray top = "999,999,999,999,999";
    writeList("big.com|AllTheWeb=" + top + "|AltaVista=" + top + "|Google=" + top + "|HotBot=" + top + "|MSN=" + top +
              "|\r\n");
    const QByteArray count = "999999999999999";
    const QByteArray total = "4999999999999995";
    const QByteArray fields = total + ',' + count + ',' + count + ',' + count + ',' + count + ',' + count;
    EXPECT_EQ(run({u"show"_s, u"--format=csv"_s, u"--no-header"_s}).out, "big.com," + fields + "\r\n");
    EXPECT_EQ(run({u"show"_s, u"--format=tsv"_s, u"--no-header"_s}).out,
              "big.com\t" + QByteArray(fields).replace(',', '\t') + '\n');
    EXPECT_EQ(run({u"show"_s, u"--format=json"_s}).out,
              "[{\"AllTheWeb\":" + count + ",\"AltaVista\":" + count + ",\"Google\":" + count + ",\"HotBot\":" + count +
                  ",\"MSN\":" + count + ",\"domain\":\"big.com\",\"total\":" + total + ",\"webgraph\":null}]\n");
}

// A list that an editor saved with a byte-order mark, its first record without the closing "|": every command
// reads the record whole and writes it back byte for byte until it changes.
TEST_F(CommandLineTest, AByteOrderMarkAndARecordWithoutItsClosingBarKeepWhatTheyHold)
{
    const QByteArray edited = "\xEF\xBB\xBF"
                              "a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5\r\n";
    writeList(edited + bRecord);
    EXPECT_EQ(run({u"show"_s, u"--format=csv"_s, u"--no-header"_s, u"a.com"_s}),
              (Outcome{0, "a.com,15,1,2,3,4,5\r\n", ""}));
    EXPECT_EQ(run({u"add"_s, u"c.com"_s}).status, 0);
    m_server.serveDomain("b.com", {60, 70, 80, 90, 100});
    EXPECT_EQ(run({u"update"_s, u"b.com"_s}).status, 0);
    const QByteArray c = "c.com" + zeroCounts + "\r\n";
    EXPECT_EQ(listFile(), edited + "b.com|AllTheWeb=60|AltaVista=70|Google=80|HotBot=90|MSN=100|\r\n" + c);
    EXPECT_EQ(run({u"remove"_s, u"a.com"_s}).status, 0);
    EXPECT_EQ(listFile(), "b.com|AllTheWeb=60|AltaVista=70|Google=80|HotBot=90|MSN=100|\r\n" + c);
}

TEST_F(CommandLineTest, OnlyACommandThatWritesMakesAListAndOnlyInAFolderThatIsThere)
{
    const QString missingFolder = m_dir.filePath(u"nodir/sub/list.txt"_s);
    const QString newList = m_dir.filePath(u"new.txt"_s);
    EXPECT_EQ(run({u"show"_s}, missingFolder), (Outcome{3, "",
                                                        "brenlow-cli: the domain list " + missingFolder.toUtf8() +
                                                            " does not exist; add or import makes it\n"}));
    EXPECT_EQ(
        run({u"add"_s, u"a.com"_s}, missingFolder),
        (Outcome{3, "",
                 "brenlow-cli: the folder " + m_dir.filePath(u"nodir/sub"_s).toUtf8() +
                     " of the domain list does not exist; make it, or give --list a file in a folder that exists\n"}));
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(u"nodir"_s)));
    EXPECT_EQ(run({u"show"_s}, newList).status, 3);
    EXPECT_FALSE(QFileInfo::exists(newList));
    EXPECT_EQ(run({u"add"_s, u"https://secure.example.com/"_s}, newList),
              (Outcome{0, "1 added, 0 already listed\n", ""}));
    EXPECT_EQ(run({u"import"_s, u"-"_s}, newList, "\xEF\xBB\xBFz.org\nsecure.example.com\n"),
              (Outcome{0, "1 added, 1 already listed, 0 rejected\n", ""}));
    QFile made(newList);
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    EXPECT_EQ(made.readAll(), "secure.example.com" + zeroCounts + "\r\nz.org" + zeroCounts + "\r\n");
}

TEST_F(CommandLineTest, ShowReadsAListAnotherInstanceHoldsAndWritersFindOutFirst)
{
    m_server.serveDomain("a.com", {1, 2, 3, 4, 5});
    writeList(twoDomains);
    ListLock held(listPath());
    ASSERT_EQ(held.lock(), ListLock::Result::Locked);
    EXPECT_EQ(run({u"show"_s, u"--format=csv"_s, u"--no-header"_s, u"a.com"_s}).out, "a.com,15,1,2,3,4,5\r\n");
    const QByteArray inUse =
        "brenlow-cli: the domain list " + listPath().toUtf8() + " is already open in another Brenlow (process " +
        QByteArray::number(QCoreApplication::applicationPid()) + " on " + QSysInfo::machineHostName().toUtf8() + ")\n";
    for (const QStringList& arguments : {QStringList{u"update"_s}, QStringList{u"add"_s, u"--wait=0"_s, u"c.com"_s},
                                         QStringList{u"remove"_s, u"a.com"_s}}) {
        EXPECT_EQ(run(arguments), (Outcome{3, "", inUse})) << arguments.join(u' ').toStdString();
    }
    EXPECT_EQ(m_server.requestCount(), 0);
    EXPECT_EQ(listFile(), twoDomains);
    // A list that cannot be written is found out before the first request.
    EXPECT_EQ(run({u"update"_s}, u"/proc/version"_s).status, 3);
    EXPECT_EQ(m_server.requestCount(), 0);
}

TEST_F(CommandLineTest, OutputThatCannotBeWrittenEndsTheCommand)
{
    writeList(twoDomains);
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    CapturedStream err;
    EXPECT_EQ(runCommandLine({u"brenlow-cli"_s, u"--list"_s, listPath(), u"show"_s}, Console(full, err.file())), 4);
    EXPECT_EQ(err.bytes(), "brenlow-cli: standard output could not be written: No space left on device\n");
    std::fclose(full);

    // A reader that has gone ends it quietly, as it ends a pipeline.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const auto formerPipeAction = ::signal(SIGPIPE, SIG_IGN);
    std::FILE* pipe = ::fdopen(ends[1], "w");
    CapturedStream quiet;
    EXPECT_EQ(runCommandLine({u"brenlow-cli"_s, u"--list"_s, listPath(), u"show"_s}, Console(pipe, quiet.file())), 141);
    EXPECT_EQ(quiet.bytes(), "");
    std::fclose(pipe);
    ::signal(SIGPIPE, formerPipeAction);
}

TEST_F(CommandLineTest, RemovingManyDomainsTakesOnePass)
{
    QByteArray list;
    for (int i = 1; i <= 6; ++i)
        list += "d" + QByteArray::number(i) + ".com|AllTheWeb=" + QByteArray::number(i) + "|\r\n";
    writeList(list);
    EXPECT_EQ(run({u"remove"_s, u"D2.com"_s, u"d5.com"_s, u"d2.com"_s, u"http://d6.com/"_s}), (Outcome{0, "", ""}));
    EXPECT_EQ(listFile(), "d1.com|AllTheWeb=1|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n"
                          "d3.com|AllTheWeb=3|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n"
                          "d4.com|AllTheWeb=4|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n");
    EXPECT_EQ(run({u"remove"_s, u"d1.com"_s, u"d9.com"_s}).status, 2);
    EXPECT_TRUE(listFile().startsWith("d1.com"));
}

TEST(TerminalRunControls, TheProgressLineFitsTheTerminal)
{
    const struct {
        qint64 step;
        int columns;
        bool dumb;
        int previous;
        QByteArray line;
    } cases[] = {
        {5, 80, false, 0, "\r[##########....................] 5 of 15  : 33%\x1b[K"},
        {15, 30, false, 0, "\r[##########] 15 of 15  : 100%\x1b[K"},
        {1, 20, false, 0, "\r1 of 15  : 07%\x1b[K"},
        {1, 10, false, 0, "\r1 of 15  \x1b[K"},
        {3, 80, true, 55, "\r[######........................] 3 of 15  : 20%" + QByteArray(8, ' ')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TerminalRunControls::progressLine(c.step, 15, c.columns, c.dumb, c.previous), c.line) << c.columns;
    // TERM unset or "dumb" takes no escape sequence; any terminal that names itself does.
    for (const auto& [term, dumb] :
         {std::pair{u""_s, true}, {u"dumb"_s, true}, {u"xterm-256color"_s, false}, {u"linux"_s, false}})
        EXPECT_EQ(TerminalRunControls::isDumbTerminal(term), dumb) << term.toStdString();
}

// The tests from here on start brenlow-cli as a process of its own.

TEST_F(CommandLineTest, ASignalEndsACommandThatHasNotSavedAndLeavesTheListAsItWas)
{
    // An import that waits for its standard input ends at the signal, saving nothing; a signal started ignored
    // stays ignored.
    writeList(twoDomains);
    const Outcome imported = runProcess({u"import"_s, u"-"_s}, {}, [&](QProcess& process) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(listPath() + u".lock"_s); }, 30000));
        process.write("new.org\n");
        ::kill(pid_t(process.processId()), SIGTERM);
    });
    EXPECT_EQ(imported.status, 128 + SIGTERM);
    EXPECT_EQ(listFile(), twoDomains);
    EXPECT_FALSE(QFile::exists(listPath() + u".lock"_s));

    m_server.answer(aComQueries.at(0), ServerReply::silence());
    QProcess nohup;
    nohup.start(u"sh"_s, QStringList{u"-c"_s, u"trap '' HUP; exec \"$0\" \"$@\""_s, QStringLiteral(BRENLOW_CLI)} +
                             options({}, {u"update"_s}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.requestCount(aComQueries.at(0)) == 1; }, 30000));
    ::kill(pid_t(nohup.processId()), SIGHUP);
    ::kill(pid_t(nohup.processId()), SIGINT);
    ASSERT_TRUE(nohup.waitForFinished(30000));
    EXPECT_EQ(nohup.exitCode(), 128 + SIGINT); // not 129: SIGHUP passed it by
}

TEST_F(CommandLineTest, WaitTakesTheLockOnceAnotherInstanceLetsItGo)
{
    m_server.serveDomain("a.com", {100, 200, 300, 400, 500});
    m_server.answer(aComQueries.at(2), ServerReply::silence());
    writeList(twoDomains);
    QProcess waiting;
    const Outcome first = runProcess({u"update"_s}, {}, [&](QProcess& process) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.requestCount(aComQueries.at(2)) == 1; }, 30000));
        waiting.start(QStringLiteral(BRENLOW_CLI), options({}, {u"add"_s, u"--wait"_s, u"new.com"_s}));
        ASSERT_TRUE(waiting.waitForStarted());
        ::kill(pid_t(process.processId()), SIGINT);
    });
    ASSERT_TRUE(waiting.waitForFinished(30000));
    EXPECT_EQ(first.status, 130);
    EXPECT_EQ(waiting.exitCode(), 0) << waiting.readAllStandardError().toStdString();
    EXPECT_EQ(listFile(), aStoppedAtGoogle + bRecord + "new.com" + zeroCounts + "\r\n");
}

} // namespace
