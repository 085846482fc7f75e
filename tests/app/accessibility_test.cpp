#include "windowfixture.h"

#include <QAccessible>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace {

QString nameOf(QObject& object)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&object);
    return accessible ? accessible->text(QAccessible::Name) : u"<none>"_s;
}

} // namespace

TEST_F(WindowTest, ScreenReadersFindNamedControlsAndATableOfTheListedDomainsOnly)
{
    start("a.com|AllTheWeb=1,234|AltaVista=0|Google=56|HotBot=0|MSN=7|\r\nb.com|\r\n");
    EXPECT_EQ(nameOf(grid()), u"Domains and their link counts"_s);
    // The progress and the last run's summary are heard as they are: their text is their name.
    label("sklCompleted").setText(u"3 of 15  : 20%"_s);
    EXPECT_EQ(nameOf(label("sklCompleted")), u"3 of 15  : 20%"_s);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&label("sklCompleted"))->text(QAccessible::Description),
              u"Update progress"_s);
    label("lblLastUpdate").setText(u"Updated 2 domains"_s);
    EXPECT_EQ(nameOf(label("lblLastUpdate")), u"Updated 2 domains"_s);
    EXPECT_EQ(nameOf(control<QLineEdit>("txtFind")), u"Find domain"_s);
    EXPECT_EQ(nameOf(button("cmdUpdate0")), u"Update All"_s);

    // Two domain rows (not the blank rows below them), seven columns (not the filler), with their headers.
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&grid());
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Table);
    QAccessibleTableInterface* table = accessible->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->columnCount(), 7);
    EXPECT_EQ(accessible->childCount(), 3 * 7);
    EXPECT_EQ(table->cellAt(2, 0), nullptr);
    EXPECT_EQ(table->cellAt(0, 7), nullptr);
    const struct {
        int row;
        int column;
        QString name;
        QString header;
    } cells[] = {
        {0, 0, u"a.com"_s, u"Domain"_s}, {0, 1, u"1,297"_s, u"Total"_s}, {0, 4, u"56"_s, u"Google"_s},
        {1, 0, u"b.com"_s, u"Domain"_s}, {1, 1, u"0"_s, u"Total"_s},     {1, 6, QString(), u"MSN"_s},
    };
    for (const auto& c : cells) {
        QAccessibleInterface* cell = table->cellAt(c.row, c.column);
        ASSERT_NE(cell, nullptr) << c.row << "," << c.column;
        EXPECT_EQ(cell->role(), QAccessible::Cell);
        EXPECT_EQ(cell->text(QAccessible::Name), c.name);
        EXPECT_EQ(cell->actionInterface(), nullptr) << "a cell offers actions";
        const QList<QAccessibleInterface*> headers = cell->tableCellInterface()->columnHeaderCells();
        ASSERT_EQ(headers.size(), 1);
        EXPECT_EQ(headers.first()->text(QAccessible::Name), c.header);
        EXPECT_EQ(accessible->child(accessible->indexOfChild(cell)), cell);
    }
    EXPECT_EQ(accessible->child(0)->role(), QAccessible::ColumnHeader);

    // The current cell is the table's focus; a removal leaves the table one row shorter, its cells renamed.
    grid().makeCurrent(2, 3);
    QAccessibleInterface* focus = accessible->focusChild();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->tableCellInterface()->rowIndex(), 1);
    EXPECT_EQ(focus->tableCellInterface()->columnIndex(), 3);
    grid().makeCurrent(1, 0);
    m_dialogs.answers = {UserDialogs::Answer::Yes};
    button("cmdRemoveDomain").click();
    EXPECT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->cellAt(0, 0)->text(QAccessible::Name), u"b.com"_s);
}
