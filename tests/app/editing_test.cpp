#include "windowfixture.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace {

const QByteArray zeros = "|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=0|";
const QByteArray threeDomains = "a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n"
                                "b.com|AllTheWeb=6|AltaVista=7|Google=8|HotBot=9|MSN=10|\r\n"
                                "c.com|AllTheWeb=11|AltaVista=12|Google=13|HotBot=14|MSN=15|\r\n";

QList<QByteArray> records(DomainList& list)
{
    QList<QByteArray> result;
    for (int i = 1; i <= list.count(); ++i)
        result.append(list.entry(i));
    return result;
}

TEST_F(WindowTest, AddDomainNormalisesTheAnswerAndAddsItOnce)
{
    const struct {
        QString answer;
        QByteArray added; // empty: nothing added
        bool invalid;
    } cases[] = {
        {u"EXAMPLE.COM"_s, "example.com", false},
        {u"  HTTP://Example.com/Dir/Page.html  "_s, "example.com", false},
        {u"B.COM"_s, "", false}, // already listed in other letter case
        {u"   "_s, "", false},
        {QString(), "", false}, // cancelled
        {u"localhost"_s, "", true},
        {u"tab\there.com"_s, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer.toStdString());
        m_program.reset();
        m_dialogs.shown.clear();
        start(threeDomains);
        m_dialogs.prompts = {c.answer};
        button("cmdAddDomain").click();

        QStringList shown{u"prompt|Add Domain|Enter Domain To Add"_s};
        if (c.invalid)
            shown.append(u"message||This does not appear to be a valid domain"_s);
        EXPECT_EQ(m_dialogs.shown, shown);
        DomainList& list = m_program->session().domains();
        if (c.added.isEmpty()) {
            EXPECT_EQ(list.count(), 3);
            EXPECT_TRUE(cell(4, 0).isEmpty());
            continue;
        }
        ASSERT_EQ(list.count(), 4);
        EXPECT_EQ(list.entry(4), c.added + zeros);
        EXPECT_EQ(list.entry(2), "b.com|AllTheWeb=6|AltaVista=7|Google=8|HotBot=9|MSN=10|");
        EXPECT_EQ(rowTexts(4),
                  (QStringList{QString::fromLatin1(c.added), u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s}));
        EXPECT_EQ(grid().Row(), 4);
        EXPECT_EQ(grid().Col(), 0);
        EXPECT_TRUE(grid().cellData(4, 0, Qt::FontRole).value<QFont>().underline());
    }
}

TEST_F(WindowTest, RemoveDomainAsksThenRemovesTheCurrentRow)
{
    using enum UserDialogs::Answer;
    const QString question = u"yesnocancel|Remove Domain|Remove domain %1?"_s;
    const struct {
        int row;
        UserDialogs::Answer answer;
        QString left; // the domains left in the grid
        QStringList shown;
    } cases[] = {
        {2, Yes, u"a.com c.com"_s, {question.arg(u"b.com")}},
        {3, Yes, u"a.com b.com"_s, {question.arg(u"c.com")}},
        {2, No, u"a.com b.com c.com"_s, {question.arg(u"b.com")}},
        {2, Cancel, u"a.com b.com c.com"_s, {question.arg(u"b.com")}},
        {5, Yes, u"a.com b.com c.com"_s, {}}, // a blank row: nothing asked, nothing removed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        m_program.reset();
        m_dialogs.shown.clear();
        start(threeDomains);
        grid().setTextMatrix(1, 2, u"999"_s); // a count found since the last capture
        grid().makeCurrent(c.row, 3);
        m_dialogs.answers = {c.answer};
        button("cmdRemoveDomain").click();

        EXPECT_EQ(m_dialogs.shown, c.shown);
        EXPECT_EQ(QStringList({cell(1, 0), cell(2, 0), cell(3, 0), cell(4, 0)}).join(u' ').trimmed(), c.left);
        EXPECT_EQ(cell(1, 2), u"999"_s);
        if (m_program->session().domains().count() == 2) {
            EXPECT_EQ(m_program->session().domains().entry(1),
                      "a.com|AllTheWeb=999|AltaVista=2|Google=3|HotBot=4|MSN=5|");
            EXPECT_EQ(cell(1, 1), u"1,013"_s);
            EXPECT_EQ(grid().Row(), 1);
            EXPECT_EQ(grid().Col(), 0);
        }
    }

    // An empty list: nothing asked.
    m_program.reset();
    m_dialogs.shown.clear();
    start("");
    button("cmdRemoveDomain").click();
    EXPECT_TRUE(m_dialogs.shown.isEmpty());
}

TEST_F(WindowTest, ImportAddsTheDomainOfEveryLine)
{
    start("a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n");
    const QString importPath = m_dir.filePath(u"import.txt"_s);
    QFile file(importPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("d.com\r\n"
               "\r\n"
               "word\r\n"
               "D.COM\r\n"
               "e.com|AllTheWeb=5|AltaVista=6|Google=7|HotBot=8|MSN=9|\r\n"
               "  f.com,a comment\r\n"
               "g.com ,comment\nh.com\r" // a lone LF ends a line, as a lone CR does
               "HTTP://I.com/\r\n"
               "|bar.com\r\n"
               ",comma.com\r\n"
               "A.com\r\n"
               "http://www.j.com/dir/page.html");
    file.close();
    m_dialogs.files = {importPath};
    action("mnuFileImportUrls").trigger();

    EXPECT_EQ(m_dialogs.shown, QStringList{u"open|Import Urls|"_s + m_dir.path() + u"|*.txt"_s});
    EXPECT_EQ(records(m_program->session().domains()),
              (QList<QByteArray>{"a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|", "d.com" + zeros,
                                 "e.com" + zeros, "f.com" + zeros, "g.com " + zeros, "h.com" + zeros,
                                 "HTTP://I.com" + zeros, ",comma.com" + zeros, "www.j.com" + zeros}));
    EXPECT_EQ(rowTexts(3), (QStringList{u"e.com"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s}));
    EXPECT_EQ(grid().Row(), 9);

    // A file that cannot be read is named and changes nothing; a cancelled dialog changes nothing either.
    const QString missing = m_dir.filePath(u"missing.txt"_s);
    m_dialogs.files = {missing, QString()};
    m_dialogs.shown.clear();
    action("mnuFileImportUrls").trigger();
    action("mnuFileImportUrls").trigger();
    ASSERT_EQ(m_dialogs.shown.size(), 3);
    EXPECT_TRUE(m_dialogs.shown.at(1).startsWith(u"message||The file "_s + missing + u" cannot be read"_s));
    EXPECT_EQ(m_program->session().domains().count(), 9);
}

TEST_F(WindowTest, ImportGivesWhatAddingEachLineInTurnGives)
{
    // A list with an empty record (a blank row inside the list) and a count cell changed since the last capture;
    // enough lines to fill the blank rows and append more.
    const QByteArray list = "a.com|AllTheWeb=1|AltaVista=2|\r\n\r\nc.com|AllTheWeb=3|\r\n";
    QByteArray lines;
    for (int i = 0; i < 40; ++i)
        lines += "site" + QByteArray::number(i % 35) + ".org\r\n";
    lines += "C.COM\r\nnot a domain\r\n";

    const auto importOnce = [&](bool lineByLine) {
        m_program.reset();
        start(list);
        grid().setTextMatrix(3, 4, u"77"_s);
        if (lineByLine) {
            for (const QByteArray& line : DomainList::splitLines(lines))
                m_program->session().editor().importContents(line);
        } else {
            m_program->session().editor().importContents(lines);
        }
        QList<QStringList> cells;
        for (int row = 0; row < grid().Rows(); ++row)
            cells.append(rowTexts(row) << cell(row, 7));
        return std::make_tuple(records(m_program->session().domains()), cells, grid().Row(), grid().Col());
    };
    const auto whole = importOnce(false);
    const auto byLine = importOnce(true);
    EXPECT_EQ(std::get<0>(whole), std::get<0>(byLine));
    EXPECT_EQ(std::get<1>(whole), std::get<1>(byLine));
    EXPECT_EQ(std::get<2>(whole), std::get<2>(byLine));
    EXPECT_EQ(std::get<3>(whole), std::get<3>(byLine));
    // The blank row inside the list keeps its empty record; new domains go after the list.
    ASSERT_EQ(std::get<0>(whole).size(), 38);
    EXPECT_EQ(std::get<0>(whole)[1], "|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=0|");
    EXPECT_EQ(std::get<0>(whole)[3], "site0.org" + zeros);
    EXPECT_EQ(std::get<0>(whole)[37], "site34.org" + zeros);
}

} // namespace
