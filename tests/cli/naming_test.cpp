#include "cli/clifixture.h"
#include "cli/terminaltext.h"
#include "engine/bytetext.h"

using namespace Qt::StringLiterals;

namespace {

// A list from another system: a byte-order mark before its first record, a Latin-1 name, a control byte.
const QByteArray bomRecord = "\xEF\xBB\xBF"
                             "bom.com|AllTheWeb=1|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n";
const QByteArray latinRecord = "lat\xE9n.com|AllTheWeb=2|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n";
const QByteArray controlRecord = "ctl\x01x.com|AllTheWeb=3|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n";
const QByteArray utf8Record = "caf\xC3\xA9.com|AllTheWeb=4|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n";
const QByteArray mixedList = bomRecord + latinRecord + controlRecord + utf8Record + aRecord;

const QByteArray bomLine = "bom.com,1,1,0,0,0,0\r\n";
const QByteArray latinLine = "lat\xE9n.com,2,2,0,0,0,0\r\n";
const QByteArray controlLine = "ctl\x01x.com,3,3,0,0,0,0\r\n";
const QByteArray utf8Line = "caf\xC3\xA9.com,4,4,0,0,0,0\r\n";

// An argument as brenlow-cli's main() passes it on: its bytes, whatever they are.
QString argumentBytes(const QByteArray& bytes)
{
    return textFromBytes(bytes);
}

TEST_F(CommandLineTest, EveryListedDomainCanBeNamedByItsBytesItsTextOrAsShowPrintsIt)
{
    writeList(mixedList);
    const QByteArray didYouMean = "? The list holds it in other bytes: name it as written here\n";
    const struct {
        QString argument;
        Outcome outcome;
    } cases[] = {
        {argumentBytes("lat\xE9n.com"), {0, latinLine, ""}},
        {u"lat\\xe9n.com"_s, {0, latinLine, ""}},
        {u"LAT\\XE9N.COM"_s, {0, latinLine, ""}},
        {u"http://lat\\xe9n.com/"_s, {0, latinLine, ""}},
        {argumentBytes("ctl\x01x.com"), {0, controlLine, ""}},
        {u"ctl\\x01x.com"_s, {0, controlLine, ""}},
        {u"bom.com"_s, {0, bomLine, ""}},
        {u"café.com"_s, {0, utf8Line, ""}},
        {u"CAFÉ.com"_s, {0, utf8Line, ""}},
        // The text a UTF-8 terminal types for the Latin-1 name, and the Latin-1 bytes for the UTF-8 one.
        {u"latén.com"_s,
         {2, "", "brenlow-cli: lat\xC3\xA9n.com is not in the list; did you mean lat\\xe9n.com" + didYouMean}},
        {argumentBytes("caf\xE9.com"),
         {2, "", "brenlow-cli: caf\\xe9.com is not in the list; did you mean caf\xC3\xA9.com" + didYouMean}},
        {u"ctlx.com"_s, {2, "", "brenlow-cli: ctlx.com is not in the list; did you mean ctl\\x01x.com" + didYouMean}},
        {u"lat\\xe8n.com"_s, {2, "", "brenlow-cli: lat\\xe8n.com is not in the list\n"}},
        {u"c.com"_s, {2, "", "brenlow-cli: c.com is not in the list\n"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(printableText(c.argument).toStdString());
        EXPECT_EQ(run({u"show"_s, u"--format=csv"_s, u"--no-header"_s, c.argument}), c.outcome);
    }
    EXPECT_EQ(listFile(), mixedList);
}

TEST_F(CommandLineTest, EveryCommandThatTakesDomainsNamesThemAlike)
{
    // A request carries the control byte percent-encoded.
    m_server.serveDomain("ctl%01x.com", {1, 2, 3, 4, 5});
    const struct {
        QStringList arguments;
        int status;
        QByteArray saved;
        QList<QByteArray> requests;
    } cases[] = {
        {{u"remove"_s, u"lat\\xe9n.com"_s, u"ctl\\x01x.com"_s}, 0, bomRecord + utf8Record + aRecord, {}},
        {{u"remove"_s, argumentBytes("lat\xE9n.com"), u"latén.com"_s}, 2, mixedList, {}},
        {{u"update"_s, u"ctl\\x01x.com"_s},
         0,
         bomRecord + latinRecord + "ctl\x01x.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n" + utf8Record +
             aRecord,
         linkQueries("ctl%01x.com")},
        {{u"webgraph"_s, u"update"_s, u"latén.com"_s, u"--webgraph-index=/nonexistent/graphinfo.json"_s},
         2,
         mixedList,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(printableText(c.arguments.join(u' ')).toStdString());
        writeList(mixedList);
        const qsizetype before = m_server.requests().size();
        const Outcome outcome = run(c.arguments);
        EXPECT_EQ(outcome.status, c.status) << outcome.err.toStdString();
        EXPECT_EQ(listFile(), c.saved);
        EXPECT_EQ(targets(before), c.requests);
    }
    // history finds the runs of a listed domain that Add Domain would refuse.
    writeList(mixedList);
    ASSERT_EQ(run({u"update"_s, argumentBytes("ctl\x01x.com")}).status, 0);
    const Outcome history = run({u"history"_s, u"--format=tsv"_s, u"--no-header"_s, u"ctl\\x01x.com"_s});
    EXPECT_EQ(history.status, 0) << history.err.toStdString();
    EXPECT_TRUE(history.out.endsWith("\tctl\x01x.com\t15\t1\t2\t3\t4\t5\n")) << history.out.toStdString();
}

TEST_F(CommandLineTest, ANameInBytesThatAreNotUtf8ReachesTheProgramWhole)
{
    writeList(mixedList);
    // The shell gives the program the byte E9 itself, which UTF-8 cannot decode.
    QProcess process;
    process.start(u"/bin/sh"_s,
                  {u"-c"_s, u"exec \"$0\" --list \"$1\" show --format=csv --no-header \"$(printf 'lat\\351n.com')\""_s,
                   QStringLiteral(BRENLOW_CLI), listPath()});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardOutput(), latinLine);
    EXPECT_EQ(process.readAllStandardError(), "");
}

} // namespace
