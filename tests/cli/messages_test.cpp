#include "cli/clifixture.h"
#include "cli/helptext.h"
#include "support/lists.h"

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// What brenlow-cli says when a command line asks for what cannot be done: one line in its own voice that says what
// to do instead, and nothing changed.
TEST_F(CommandLineTest, EveryMistakeGetsOneLineThatSaysWhatToDo)
{
    writeList(twoDomains);
    const QString folder = m_dir.path();
    const QString fifo = m_dir.filePath(u"fifo"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        QStringList arguments;
        QString list; // empty: the test's list
        int status;
        QByteArray err;
    } cases[] = {
        {{u"show"_s, u"-minus.com"_s},
         {},
         2,
         "brenlow-cli: -minus.com is not an option; to name a domain that begins with '-', put -- before it\n"},
        {{u"remove"_s, u"-x"_s},
         {},
         2,
         "brenlow-cli: -x is not an option; to name a domain that begins with '-', put -- before it\n"},
        {{u"show"_s, u"--"_s, u"-minus.com"_s}, {}, 2, "brenlow-cli: -minus.com is not in the list\n"},
        {{u"show"_s, u"--frobnicate"_s},
         {},
         2,
         "brenlow-cli: --frobnicate is not an option; brenlow-cli --help lists the options\n"},
        {{u"--help-all"_s}, {}, 2, "brenlow-cli: --help-all is not an option; brenlow-cli --help lists the options\n"},
        {{u"show"_s, u"--formats=csv"_s},
         {},
         2,
         "brenlow-cli: --formats is not an option; brenlow-cli --help lists the options\n"},
        {{u"-help"_s}, {}, 2, "brenlow-cli: -help is not an option; did you mean --help?\n"},
        {{u"show"_s, u"--format"_s}, {}, 2, "brenlow-cli: --format needs a value, as --format=FORMAT\n"},
        {{u"show"_s, u"-l"_s}, {}, 2, "brenlow-cli: -l needs a value, as --list=FILE\n"},
        {{u"show"_s, u"--no-header=yes"_s}, {}, 2, "brenlow-cli: --no-header takes no value\n"},
        {{}, {}, 2, "brenlow-cli: no command given; brenlow-cli --help lists the commands\n"},
        {{u"fetch"_s}, {}, 2, "brenlow-cli: there is no command fetch; brenlow-cli --help lists the commands\n"},
        {{u"help"_s, u"fetch"_s},
         {},
         2,
         "brenlow-cli: there is no command fetch; brenlow-cli --help lists the commands\n"},
        {{u"import"_s},
         {},
         2,
         "brenlow-cli: wrong number of arguments for import; its usage is brenlow-cli import FILE\n"},
        {{u"update"_s, u"--format=json"_s},
         {},
         2,
         "brenlow-cli: --format is not an option of update; brenlow-cli help update lists its options\n"},
        {{u"import"_s, u""_s},
         {},
         2,
         "brenlow-cli: the file name given to import is empty; name a file, or - for standard input\n"},
        {{u"history"_s, u"--export="_s},
         {},
         2,
         "brenlow-cli: the file name given to --export is empty; name a file, or - for standard output\n"},
        {{u"show"_s, u"--list="_s},
         {},
         2,
         "brenlow-cli: the file name given to --list is empty; name the list file, as --list=FILE\n"},
        {{u"add"_s, u"c.com"_s},
         folder,
         3,
         "brenlow-cli: the domain list " + folder.toUtf8() +
             " is a directory, not a list file; it is left as it is: give --list the path of a list file\n"},
        {{u"add"_s, u"c.com"_s},
         folder + u"/new/"_s,
         3,
         "brenlow-cli: the domain list " + folder.toUtf8() +
             "/new/ names a folder, not a list file; give --list the path of a list file\n"},
        {{u"show"_s},
         fifo,
         3,
         "brenlow-cli: the domain list " + fifo.toUtf8() +
             " is a FIFO, not a list file; it is left as it is: give --list the path of a list file\n"},
        {{u"update"_s},
         u"/dev/null"_s,
         3,
         "brenlow-cli: the domain list /dev/null is a device, not a list file; it is left as it is: give --list the "
         "path of a list file\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        EXPECT_EQ(run(c.arguments, c.list), (Outcome{c.status, "", c.err}));
        EXPECT_EQ(listFile(), twoDomains);
    }
}

TEST_F(CommandLineTest, NoMessageOfTheLibraryReachesTheUser)
{
    writeList(twoDomains);
    for (const QStringList& arguments : {QStringList{u"import"_s, u""_s}, QStringList{u"show"_s, u"-minus.com"_s},
                                         QStringList{u"history"_s, u"--import="_s}}) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const Outcome outcome = runProcess(arguments);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.err.count('\n'), 1) << outcome.err.toStdString();
        EXPECT_TRUE(outcome.err.startsWith("brenlow-cli: ")) << outcome.err.toStdString();
    }
}

TEST_F(CommandLineTest, TheHelpFitsEightyColumns)
{
    QStringList helps{u"--help"_s};
    for (const char* command : {"show", "history", "update", "webgraph", "add", "remove", "import", "where", "help"})
        helps.append(QString::fromLatin1(command));
    for (const QString& command : helps) {
        SCOPED_TRACE(command.toStdString());
        const Outcome outcome = run(command == u"--help"_s ? QStringList{command} : QStringList{u"help"_s, command});
        ASSERT_EQ(outcome.status, 0);
        for (const QByteArray& line : outcome.out.split('\n'))
            EXPECT_LE(QString::fromUtf8(line).size(), 80) << line.toStdString();
    }
}

TEST(HelpText, FitsTheWidthOfANarrowerTerminal)
{
    const QList<HelpItem> items{
        {{},
         u"Measures the link popularity of the domains in Brenlow's list: the same list, requests and counts as the "
         u"window."_s},
        {u"webgraph releases | update [DOMAIN...]"_s, u"List the web graph's releases, or read one for the list's "
                                                      u"domains."_s},
        {u"-l, --list=FILE"_s, u"Use the domain list FILE instead of the one the window uses."_s},
    };
    QStringList words;
    for (const HelpItem& item : items)
        words += (item.term + u' ' + item.text).split(u' ', Qt::SkipEmptyParts);
    for (const int width : {80, 60, 40, 30}) {
        SCOPED_TRACE(width);
        const QString text = helpItemsText(items, width);
        for (const QString& line : text.split(u'\n'))
            EXPECT_LE(line.size(), width) << line.toStdString();
        EXPECT_EQ(text.split(QRegularExpression(u"\\s+"_s), Qt::SkipEmptyParts), words); // nothing lost or moved
    }
    EXPECT_EQ(helpItemsText({{u"a"_s, u"one two three"_s}, {u"bb"_s, u"four"_s}}, 80),
              u"  a   one two three\n  bb  four\n"_s);
    EXPECT_EQ(helpItemsText({{u"a"_s, u"one two three"_s}}, 30), u"  a\n        one two three\n"_s);
}

TEST_F(CommandLineTest, ImportExitsWithOneWhenALineWasNoDomain)
{
    writeList(twoDomains);
    const struct {
        QByteArray input;
        Outcome outcome;
        QByteArray saved;
    } cases[] = {
        {"c.com\na.com\n",
         {0, "1 added, 1 already listed, 0 rejected\n", ""},
         twoDomains + "c.com" + zeroCounts + "\r\n"},
        {"d.com\nnot a domain\n",
         {1, "1 added, 0 already listed, 1 rejected (the first: not a domain)\n", ""},
         twoDomains + "d.com" + zeroCounts + "\r\n"},
        {"no|domain\n", {1, "0 added, 0 already listed, 1 rejected (the first: no|domain)\n", ""}, twoDomains},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.toStdString());
        writeList(twoDomains);
        EXPECT_EQ(run({u"import"_s, u"-"_s}, {}, c.input), c.outcome);
        EXPECT_EQ(listFile(), c.saved);
    }
}

TEST_F(CommandLineTest, ANewListHoldsWhatTheCommandAddsAndNothingElse)
{
    const QString newList = m_dir.filePath(u"new.txt"_s);
    EXPECT_EQ(run({u"add"_s, u"a.com"_s, u"b.com"_s, u"c.com"_s}, newList),
              (Outcome{0, "3 added, 0 already listed\n", ""}));
    QFile made(newList);
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    EXPECT_EQ(made.readAll(), "a.com" + zeroCounts + "\r\nb.com" + zeroCounts + "\r\nc.com" + zeroCounts + "\r\n");
}

} // namespace
