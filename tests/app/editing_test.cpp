#include "support/lists.h"
#include "windowfixture.h"

using namespace Qt::StringLiterals;

namespace {

// The editing itself is tested on a grid in memory (tests/workflows); here, that the window's buttons and menu
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

} // namespace
