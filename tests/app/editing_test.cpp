#include "support/lists.h"
#include "windowfixture.h"

#include <QScrollBar>

using namespace Qt::StringLiterals;

namespace {

// The editing itself is tested on the grid widget alone (tests/workflows); here, that the window's buttons and menu
// items reach it with the window's dialogs and that an added row looks as the list's rows do.
TEST_F(WindowTest, AddRemoveAndImportReachTheEditorThroughTheWindow)
{
    start("a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\nb.com|\r\n");
    m_dialogs.prompts = {u"New.COM"_s};
    button("cmdAddDomain").click();
    EXPECT_EQ(cell(3, 0), u"new.com"_s);
    EXPECT_TRUE(grid().cellData(3, 0, Qt::FontRole).value<QFont>().underline());
    EXPECT_EQ(grid().cellData(3, 0, Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 0, 255));

    m_dialogs.answers = {UserDialogs::Answer::Yes};
    grid().makeCurrent(2, 0);
    button("cmdRemoveDomain").click();

    const QString importPath = m_dir.filePath(u"import.txt"_s);
    QFile file(importPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("d.com\n");
    file.close();
    m_dialogs.files = {importPath};
    action("mnuFileImportUrls").trigger();

    EXPECT_EQ(m_dialogs.shown, (QStringList{u"prompt|Add Domain|Enter Domain To Add"_s,
                                            u"yesnocancel|Remove Domain|Remove domain b.com?"_s,
                                            u"open|Import Urls|"_s + m_dir.path() + u"|*.txt"_s}));
    EXPECT_EQ(records(m_program->session().domains()),
              (QList<QByteArray>{"a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|", "new.com" + zeroCounts,
                                 "d.com" + zeroCounts}));
}

TEST_F(WindowTest, ARemovalKeepsTheRowsInView)
{
    QByteArray list;
    for (int i = 1; i <= 60; ++i)
        list += "d" + QByteArray::number(i) + ".com|\r\n";
    start(list);
    grid().scrollTo(grid().model()->index(59, 0));
    grid().makeCurrent(45, 0);
    const int scrolled = grid().verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);
    for (const auto answer : {UserDialogs::Answer::Cancel, UserDialogs::Answer::Yes}) {
        m_dialogs.answers = {answer};
        button("cmdRemoveDomain").click();
        EXPECT_EQ(grid().verticalScrollBar()->value(), scrolled);
        EXPECT_EQ(grid().Row(), 45);
    }
    EXPECT_EQ(cell(45, 0), u"d46.com"_s);
}

} // namespace
