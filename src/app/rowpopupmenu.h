#pragma once

#include <QList>
#include <QObject>
#include <QPoint>

#include <functional>

class BrowserOpener;
class EngineTables;
class GridWidget;
class ListSession;
class QAction;
class QMenu;
class QWidget;

// The grid's pop-up menu for the row under the pointer: view the domain or an engine's result page for it in the
// browser, update it, remove it, show its history. A press on the grid picks the cell (PopupRow, PopupCol) that the
// items act on, and over a domain row opens the menu; so do the Menu key and Shift+F10 for the current cell. The menu
// shows the keys of the items that have one elsewhere in the window.
class RowPopupMenu : public QObject {
public:
    // Shows a pop-up menu at a global position and returns when it has closed (after the chosen item has run).
    using Shower = std::function<void(QMenu& menu, QPoint position)>;
    struct Commands {
        std::function<void(int row)> updateRow;   // "Update This Domain Only"
        std::function<void()> removeCurrentRow;   // "Remove This Domain", the pressed cell made current
        std::function<void(int row)> showHistory; // "History…"
    };

    RowPopupMenu(QWidget& window, GridWidget& grid, ListSession& session, BrowserOpener& browser, Commands commands);

    // Completes the "View Results From : " items with the engines' names.
    void nameEngines(const EngineTables& engines);
    // The items that change the rows or start a run.
    QList<QAction*> editingActions() const;
    void setShower(Shower shower) { m_shower = std::move(shower); }

    void grdUrls_MouseDown(int button, int shift, float x, float y);
    // The menu for the current cell, opened from the keyboard at that cell.
    void popupForCurrentCell();
    int PopupRow() const { return m_popupRow; }
    int PopupCol() const { return m_popupCol; }

private:
    // Opens the menu at position when (m_popupRow, m_popupCol) is a domain row.
    void popupAt(QPoint position);
    void mnuGridMenuUpdate_Click();
    void mnuGridMenuRemove_Click();
    void mnuGridMenuHistory_Click();
    void mnuGridMenuViewDomain_Click();
    void mnuGridMenuView_Click(int index);

    GridWidget& m_grid;
    ListSession& m_session;
    BrowserOpener& m_browser;
    Commands m_commands;
    Shower m_shower;
    int m_popupRow = 0;
    int m_popupCol = 0;
    QMenu* m_mnuGridMenu;
    QAction* m_mnuGridMenuViewDomain;
    QAction* m_mnuGridMenuUpdate;
    QAction* m_mnuGridMenuRemove;
    QAction* m_mnuGridMenuHistory;
    QList<QAction*> m_mnuGridMenuView; // "View Results From : " an engine, one an engine of the catalogue
};
