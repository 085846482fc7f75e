#include "grid/gridwidget.h"
#include "support/fakedialogs.h"
#include "support/lists.h"
#include "workflows/listsession.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray threeDomains = "a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n"
                                "b.com|AllTheWeb=6|AltaVista=7|Google=8|HotBot=9|MSN=10|\r\n"
                                "c.com|AllTheWeb=11|AltaVista=12|Google=13|HotBot=14|MSN=15|\r\n";

// A session on a list in a temporary folder, shown in the grid widget, edited through dialogs the test answers.
class EditorTest : public ::testing::Test, private UpdateRunControls {
protected:
    QString listPath() const { return m_dir.filePath(u"brenlow.txt"_s); }

    void open(const QByteArray& list)
    {
        QFile file(listPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(list) == list.size());
        file.close();
        m_session.reset();
        m_cells = std::make_unique<GridWidget>();
        SessionOptions options;
        options.listFilePath = listPath();
        options.locale = QLocale(QLocale::English, QLocale::UnitedStates);
        m_session = std::make_unique<ListSession>(std::move(options));
        m_session->showIn(*this, m_cells.get());
        ASSERT_TRUE(m_session->lock(true));
        ASSERT_TRUE(m_session->load());
        m_dialogs.shown.clear();
    }

    DomainEditor& editor() { return m_session->editor(); }
    const DomainList& list() const { return m_session->domains(); }
    QString cell(int row, int col) const { return m_cells->TextMatrix(row, col); }
    QStringList rowTexts(int row) const
    {
        QStringList texts;
        for (int col = 0; col < 7; ++col)
            texts.append(cell(row, col));
        return texts;
    }
    // The domains the grid shows, blank rows left out.
    QString domainsShown() const
    {
        QStringList domains;
        for (int row = 1; row < m_cells->Rows(); ++row) {
            if (!cell(row, 0).isEmpty())
                domains.append(cell(row, 0));
        }
        return domains.join(u' ');
    }

    QTemporaryDir m_dir;
    FakeDialogs m_dialogs;
    std::unique_ptr<GridWidget> m_cells;
    std::unique_ptr<ListSession> m_session;

private:
    void enterRunningState() override {}
    void leaveRunningState() override {}
    void showProgress(qint64, qint64) override {}
    void fetchEnded(const FetchReport&) override {}
};

TEST_F(EditorTest, AddDomainNormalisesTheAnswerAndAddsItOnce)
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
        open(threeDomains);
        m_dialogs.prompts = {c.answer};
        editor().cmdAddDomain_Click(m_dialogs);

        QStringList shown{u"prompt|Add Domain|Enter Domain To Add"_s};
        if (c.invalid)
            shown.append(u"message||This does not appear to be a valid domain"_s);
        EXPECT_EQ(m_dialogs.shown, shown);
        if (c.added.isEmpty()) {
            EXPECT_EQ(list().count(), 3);
            EXPECT_TRUE(cell(4, 0).isEmpty());
            continue;
        }
        ASSERT_EQ(list().count(), 4);
        EXPECT_EQ(list().entry(4), c.added + zeroCounts);
        EXPECT_EQ(list().entry(2), "b.com|AllTheWeb=6|AltaVista=7|Google=8|HotBot=9|MSN=10|");
        EXPECT_EQ(rowTexts(4),
                  (QStringList{QString::fromLatin1(c.added), u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s}));
        EXPECT_EQ(m_cells->Row(), 4);
        EXPECT_EQ(m_cells->Col(), 0);
    }
}

TEST_F(EditorTest, RemoveDomainAsksThenRemovesTheCurrentRow)
{
    using enum UserDialogs::Answer;
    const QString question = u"yesnocancel|Remove Domain|Remove domain %1?"_s;
    const struct {
        int row;
        UserDialogs::Answer answer;
        QString left;
        QStringList shown;
        int current; // the row current afterwards: the one that took the removed one's place, or the same
    } cases[] = {
        {2, Yes, u"a.com c.com"_s, {question.arg(u"b.com")}, 2},
        {3, Yes, u"a.com b.com"_s, {question.arg(u"c.com")}, 2},
        {2, No, u"a.com b.com c.com"_s, {question.arg(u"b.com")}, 2},
        {2, Cancel, u"a.com b.com c.com"_s, {question.arg(u"b.com")}, 2},
        {5, Yes, u"a.com b.com c.com"_s, {}, 5}, // a blank row: nothing asked, nothing removed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        open(threeDomains);
        m_session->grid().setCount(1, 0, 999); // a count found since the last save
        m_cells->makeCurrent(c.row, 3);
        m_dialogs.answers = {c.answer};
        editor().cmdRemoveDomain_Click(m_dialogs);

        EXPECT_EQ(m_dialogs.shown, c.shown);
        EXPECT_EQ(domainsShown(), c.left);
        EXPECT_EQ(cell(1, 2), u"999"_s);
        EXPECT_EQ(m_cells->Row(), c.current);
        EXPECT_EQ(m_cells->Col(), list().count() == 2 ? 0 : 3);
        if (list().count() == 2) {
            EXPECT_EQ(list().entry(1), "a.com|AllTheWeb=999|AltaVista=2|Google=3|HotBot=4|MSN=5|");
            EXPECT_EQ(cell(1, 1), u"1,013"_s);
        }
    }

    // An empty list: nothing asked.
    open("");
    editor().cmdRemoveDomain_Click(m_dialogs);
    EXPECT_TRUE(m_dialogs.shown.isEmpty());
}

TEST_F(EditorTest, ImportAddsTheDomainOfEveryLine)
{
    open("a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n");
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
    editor().mnuFileImportUrls_Click(m_dialogs);

    EXPECT_EQ(m_dialogs.shown, QStringList{u"open|Import Urls|"_s + m_dir.path() + u"|*.txt"_s});
    EXPECT_EQ(records(list()), (QList<QByteArray>{"a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|",
                                                  "d.com" + zeroCounts, "e.com" + zeroCounts, "f.com" + zeroCounts,
                                                  "g.com " + zeroCounts, "h.com" + zeroCounts, "I.com" + zeroCounts,
                                                  ",comma.com" + zeroCounts, "www.j.com" + zeroCounts}));
    EXPECT_EQ(rowTexts(3), (QStringList{u"e.com"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s}));
    EXPECT_EQ(m_cells->Row(), 9);

    // A file that cannot be read is named and changes nothing; a cancelled dialog changes nothing either.
    const QString missing = m_dir.filePath(u"missing.txt"_s);
    m_dialogs.files = {missing, QString()};
    m_dialogs.shown.clear();
    editor().mnuFileImportUrls_Click(m_dialogs);
    editor().mnuFileImportUrls_Click(m_dialogs);
    ASSERT_EQ(m_dialogs.shown.size(), 3);
    EXPECT_TRUE(m_dialogs.shown.at(1).startsWith(u"message||The file "_s + missing + u" cannot be read"_s));
    EXPECT_EQ(list().count(), 9);
}

TEST_F(EditorTest, ImportGivesWhatAddingEachLineInTurnGives)
{
    // A list with an empty record (a blank row inside the list) and a count cell changed since the last capture;
    // enough lines to fill the blank rows and append more.
    const QByteArray start = "a.com|AllTheWeb=1|AltaVista=2|\r\n\r\nc.com|AllTheWeb=3|\r\n";
    QByteArray lines;
    for (int i = 0; i < 40; ++i)
        lines += "site" + QByteArray::number(i % 35) + ".org\r\n";
    lines += "C.COM\r\nnot a domain\r\n";

    const auto edited = [&](bool wholeFile) {
        open(start);
        m_session->grid().setCount(3, 2, 77);
        if (wholeFile) {
            editor().importContents(lines);
        } else {
            for (QByteArray line : DomainList::splitLines(lines))
                editor().AddADomain(line);
        }
        QList<QStringList> cells;
        for (int row = 0; row < m_cells->Rows(); ++row)
            cells.append(rowTexts(row) << cell(row, 7));
        return std::make_tuple(records(list()), cells, m_cells->Row(), m_cells->Col());
    };
    const auto imported = edited(true);
    EXPECT_EQ(imported, edited(false));
    // The blank row inside the list keeps its empty record; new domains go after the list.
    const QList<QByteArray> added = std::get<0>(imported);
    ASSERT_EQ(added.size(), 38);
    EXPECT_EQ(added[1], zeroCounts);
    EXPECT_EQ(added[2], "c.com|AllTheWeb=3|AltaVista=0|Google=77|HotBot=0|MSN=0|");
    EXPECT_EQ(added[3], "site0.org" + zeroCounts);
    EXPECT_EQ(added[37], "site34.org" + zeroCounts);
}

} // namespace

TEST_F(EditorTest, SortingMovesWholeRecordsThatSaveAsTheyWereRead)
{
    // Hand-made lines: no closing "|", a Latin-1 name, counts with other group marks, text that is no count.
    const QByteArray lines[] = {
        "a.com|AllTheWeb=12|AltaVista=0|Google=0|HotBot=0|MSN=0",
        "b\xfcro.de|AllTheWeb=1.234|AltaVista=0|Google=0|HotBot=0|MSN=0|",
        "c.com|AllTheWeb=n/a|AltaVista=0|Google=0|HotBot=0|MSN=0|",
        "d.com|AllTheWeb=1 234|AltaVista=1|Google=0|HotBot=0|MSN=0|",
        " http://e.com |AllTheWeb=12|AltaVista=0|Google=0|HotBot=0|MSN=0|",
    };
    open(lines[0] + "\r\n" + lines[1] + "\n" + lines[2] + "\r" + lines[3] + "\r\n" + lines[4]);
    m_cells->makeCurrent(4, 2);
    const struct {
        Qt::SortOrder order;
        QList<int> lines; // of the list file, in their new order
        int current;      // the row of d.com
    } cases[] = {
        {Qt::DescendingOrder, {1, 3, 0, 4, 2}, 2},
        {Qt::AscendingOrder, {0, 4, 1, 3, 2}, 4},
    };
    for (const auto& c : cases) {
        editor().sortRows(GridColumn::FirstEngine, c.order);
        EXPECT_EQ(m_cells->Row(), c.current);
        EXPECT_EQ(m_cells->Col(), 2);
        EXPECT_EQ(cell(c.current, 0), u"d.com"_s);
        ASSERT_TRUE(m_session->save());
        QByteArray expected;
        for (const int line : c.lines)
            expected += lines[line] + "\r\n";
        QFile file(listPath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), expected) << c.order;
    }
    EXPECT_EQ(rowTexts(5), (QStringList{u"c.com"_s, u"0"_s, u"n/a"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s}));
}
