#include "app/rowpopupmenu.h"

#include "app/browseropener.h"
#include "app/weblinks.h"
#include "engine/bytetext.h"
#include "grid/gridhittest.h"
#include "grid/gridwidget.h"
#include "workflows/listsession.h"

#include <QCursor>
#include <QKeySequence>
#include <QMenu>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString viewResultsCaption = u"View Results From : "_s;
const QString viewDomainCaption = u"View Domain : "_s;

} // namespace

RowPopupMenu::RowPopupMenu(QWidget& window, GridWidget& grid, ListSession& session, BrowserOpener& browser,
                           Commands commands)
    : QObject(&window)
    , m_grid(grid)
    , m_session(session)
    , m_browser(browser)
    , m_commands(std::move(commands))
    , m_shower([](QMenu& menu, QPoint position) { menu.exec(position); })
    // The menu belongs to the window but never to its menu bar.
    , m_mnuGridMenu(new QMenu(u"Grid"_s, &window))
{
    m_mnuGridMenu->setObjectName(u"mnuGridMenu"_s);
    const auto item = [this](const QString& name, const QString& caption) {
        QAction* action = m_mnuGridMenu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    m_mnuGridMenuViewDomain = item(u"mnuGridMenuViewDomain"_s, u"View Domain"_s);
    m_mnuGridMenuUpdate = item(u"mnuGridMenuUpdate"_s, u"Update This Domain Only"_s);
    m_mnuGridMenuRemove = item(u"mnuGridMenuRemove"_s, u"Remove This Domain"_s);
    m_mnuGridMenuHistory = item(u"mnuGridMenuHistory"_s, u"History\u2026"_s);
    m_mnuGridMenu->addSeparator();
    for (int k = 0; k < int(m_session.engines().EngineCatalogue().size()); ++k) {
        m_mnuGridMenuView.append(item(u"mnuGridMenuView%1"_s.arg(k), viewResultsCaption));
        connect(m_mnuGridMenuView[k], &QAction::triggered, this, [this, k] { mnuGridMenuView_Click(k); });
    }
    connect(m_mnuGridMenuViewDomain, &QAction::triggered, this, &RowPopupMenu::mnuGridMenuViewDomain_Click);
    connect(m_mnuGridMenuUpdate, &QAction::triggered, this, &RowPopupMenu::mnuGridMenuUpdate_Click);
    connect(m_mnuGridMenuRemove, &QAction::triggered, this, &RowPopupMenu::mnuGridMenuRemove_Click);
    connect(m_mnuGridMenuHistory, &QAction::triggered, this, &RowPopupMenu::mnuGridMenuHistory_Click);
    connect(&m_grid, &GridWidget::MouseDown, this, &RowPopupMenu::grdUrls_MouseDown);
    connect(&m_grid, &GridWidget::popupKeyPressed, this, &RowPopupMenu::popupForCurrentCell);
    // The keys that do the same in the window, shown in the menu's column of keys (after the tab) and not bound
    // to the items: the menu is closed when they are pressed.
    for (const auto& [action, key] : {std::pair{m_mnuGridMenuUpdate, QKeySequence(Qt::SHIFT | Qt::Key_F5)},
                                      std::pair{m_mnuGridMenuRemove, QKeySequence(Qt::Key_Delete)},
                                      std::pair{m_mnuGridMenuHistory, QKeySequence(Qt::CTRL | Qt::Key_H)}})
        action->setText(action->text() + u'\t' + key.toString(QKeySequence::NativeText));
}

void RowPopupMenu::nameEngines(const EngineTables& engines)
{
    for (int k = 0; k < int(m_mnuGridMenuView.size()); ++k)
        m_mnuGridMenuView[k]->setText(m_mnuGridMenuView[k]->text() + engines.gridHeader(k + 2));
}

QList<QAction*> RowPopupMenu::editingActions() const
{
    return {m_mnuGridMenuUpdate, m_mnuGridMenuRemove};
}

void RowPopupMenu::grdUrls_MouseDown(int /*button*/, int /*shift*/, float x, float y)
{
    // Every button and shift state alike: the press picks the row the pop-up menu acts on.
    GetGridCellFromPoint(m_grid, x, y, m_popupRow, m_popupCol);
    popupAt(QCursor::pos());
}

void RowPopupMenu::popupForCurrentCell()
{
    m_popupRow = m_grid.Row();
    m_popupCol = m_grid.Col();
    popupAt(m_grid.currentCellPopupPosition());
}

void RowPopupMenu::popupAt(QPoint position)
{
    const QByteArray domain = m_session.domains().GetDomainField(m_popupRow, 0);
    if (domain.isEmpty() || domain == "0")
        return;
    m_mnuGridMenuViewDomain->setText(viewDomainCaption + textFromBytes(domain));
    m_shower(*m_mnuGridMenu, position);
}

void RowPopupMenu::mnuGridMenuUpdate_Click()
{
    m_commands.updateRow(m_popupRow);
}

void RowPopupMenu::mnuGridMenuRemove_Click()
{
    m_grid.makeCurrent(m_popupRow, m_popupCol);
    m_commands.removeCurrentRow();
}

void RowPopupMenu::mnuGridMenuHistory_Click()
{
    m_commands.showHistory(m_popupRow);
}

void RowPopupMenu::mnuGridMenuViewDomain_Click()
{
    const QByteArray domain = m_session.domains().GetDomainField(m_popupRow, 0);
    if (!domain.isEmpty() && domain != "0")
        m_browser.openAddress(u"http://"_s + textFromBytes(domain));
}

void RowPopupMenu::mnuGridMenuView_Click(int index)
{
    // The domain comes back out of the caption the last press gave the "View Domain" item.
    const QString caption = m_mnuGridMenuViewDomain->text();
    const QByteArray domain = trimSpaces(bytesFromText(caption.mid(viewDomainCaption.size() - 1))).toByteArray();
    m_browser.openAddress(resultPageAddress(m_session.engines().engine(index), domain));
}
