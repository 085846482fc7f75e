#include "app/sortmenu.h"

#include "grid/gridcolumns.h"
#include "workflows/listsession.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

using namespace Qt::StringLiterals;

SortMenu::SortMenu(QMenu& menu, ListSession& session, std::function<void()> listSorted)
    : QObject(&menu)
    , m_menu(menu)
    , m_session(session)
    , m_listSorted(std::move(listSorted))
{
    const auto item = [this](const QString& caption, int col) {
        QAction* action = m_menu.addAction(caption);
        action->setObjectName(u"mnuSortBy%1"_s.arg(col));
        connect(action, &QAction::triggered, this, [this, col] { sortBy(col); });
        return action;
    };
    const int sources = m_session.domains().sourceCount();
    for (int col = GridColumn::Domain; col < GridColumn::FirstEngine + sources; ++col)
        m_columns.append(item(m_session.engines().gridHeader(col), col));
    // The web graph's columns follow the counts; their items find their columns when chosen.
    const int linking = GridColumn::FirstEngine + sources;
    for (const auto& caption : {u"Linking Domains"_s, u"Web Rank"_s}) {
        const int offset = int(m_graphColumns.size());
        QAction* action = m_menu.addAction(caption);
        action->setObjectName(u"mnuSortBy%1"_s.arg(linking + offset));
        connect(action, &QAction::triggered, this,
                [this, offset] { sortBy(m_session.grid().linkingDomainsColumn() + offset); });
        m_graphColumns.append(action);
    }
    m_menu.addSeparator();
    auto* direction = new QActionGroup(this);
    m_ascending = m_menu.addAction(u"&Ascending"_s);
    m_ascending->setObjectName(u"mnuSortAscending"_s);
    m_descending = m_menu.addAction(u"D&escending"_s);
    m_descending->setObjectName(u"mnuSortDescending"_s);
    for (QAction* action : {m_ascending, m_descending}) {
        action->setCheckable(true);
        direction->addAction(action);
    }
    m_ascending->setChecked(true);
    // Until the grid shows the web graph's columns, there is nothing to sort by in them.
    for (QAction* action : m_graphColumns)
        action->setVisible(false);
    connect(&m_menu, &QMenu::aboutToShow, this, &SortMenu::showColumns);
}

QAction* SortMenu::editingAction() const
{
    return m_menu.menuAction();
}

void SortMenu::showColumns()
{
    const bool shown = m_session.grid().linkingDomainsColumn() >= 0;
    for (QAction* action : m_graphColumns)
        action->setVisible(shown);
}

void SortMenu::sortBy(int col)
{
    if (col < GridColumn::Domain || !editingAction()->isEnabled())
        return;
    m_session.editor().sortRows(col, m_descending->isChecked() ? Qt::DescendingOrder : Qt::AscendingOrder);
    if (m_listSorted)
        m_listSorted();
}
