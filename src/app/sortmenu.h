#pragma once

#include <QList>
#include <QObject>

#include <functional>

class ListSession;
class QAction;
class QMenu;

// The "Sort List By" menu: an item for each column of the grid (the web graph's only while the grid shows them)
// that puts the list in that column's order, and the checkable pair "Ascending" and "Descending" that says which
// way the next sort goes. A sort is an edit of the list, like adding or removing a domain.
class SortMenu : public QObject {
public:
    // listSorted, when given, is called where each sort's edit of the list ends.
    SortMenu(QMenu& menu, ListSession& session, std::function<void()> listSorted = {});

    // The item that opens the menu: unavailable while an update run walks the rows.
    QAction* editingAction() const;
    // Sorts by the grid's column col in the direction the menu shows checked.
    void sortBy(int col);

private:
    void showColumns();

    QMenu& m_menu;
    ListSession& m_session;
    std::function<void()> m_listSorted;
    QList<QAction*> m_columns;      // the domain, the total and a count a source, in the grid's order
    QList<QAction*> m_graphColumns; // "Linking Domains" and "Web Rank"
    QAction* m_ascending;
    QAction* m_descending;
};
