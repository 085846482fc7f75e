#pragma once

#include "domains/domaintext.h"

#include <QByteArray>

#include <QList>
#include <QString>
#include <QtCore/qnamespace.h>
#include <functional>

class DomainGrid;
class DomainList;
class UserDialogs;

// Adding, removing, importing and sorting domains. Each changes the grid and the domain list together, so that
// grid row r keeps showing record r; none of them writes the list file. The commands of the window ask the user
// through the dialogs they are given.
class DomainEditor {
public:
    DomainEditor(DomainGrid& grid, DomainList& domains);

    // Normalises text, replacing it by the domain, and adds the domain unless the grid already shows it in any
    // letter case. AddOk when it was added or already listed.
    AddDomainResult AddADomain(QByteArray& text);

    // A domain as the user types it: lower-cased and trimmed, then added.
    AddDomainResult addTypedDomain(const QString& typed);
    // Removes the domains of rows of the list (1 to the list's count; others are ignored), capturing the grid
    // first and laying it out again after, once for all of them. The current cell is then on the row that took
    // the first removed one's place.
    void removeRows(const QList<int>& rows);
    void removeRow(int row) { removeRows(QList<int>{row}); }
    // Puts the list's records in the order of the grid's column col (see sortedRows) and shows them so; the
    // counts stay as they are. The current cell stays on its record.
    void sortRows(int col, Qt::SortOrder order);

    void cmdAddDomain_Click(UserDialogs& dialogs);
    // Removes the domain of the grid's current row after the user has confirmed it.
    void cmdRemoveDomain_Click(UserDialogs& dialogs);
    // Imports the file the user chooses; the dialog starts in the folder that holds the list.
    void mnuFileImportUrls_Click(UserDialogs& dialogs);
    // What an import or a series of additions did with the lines it was given.
    struct AddSummary {
        int added = 0;
        int alreadyListed = 0;
        int rejected = 0;         // lines that hold text but no domain
        QByteArray firstRejected; // the first of them, as it stood
    };
    // Adds the domain of every line of an import file, in file order, skipping what is no domain or listed. A
    // byte-order mark at the start of the file is not part of its first line.
    // stopped is asked now and then; once it says true the import ends where it is.
    AddSummary importContents(const QByteArray& contents, const std::function<bool()>& stopped = {});

    // The chosen file's path, or empty when the user cancels.
    static QString ShowOpenFileDialog(UserDialogs& dialogs, const QString& filter, const QString& title,
                                      const QString& initialDirectory);

private:
    // A new domain goes into the first blank row after the list, where its record will be: a blank row inside
    // the list belongs to an empty record.
    int firstBlankRowAfterList() const;
    // Appends the domain's record and shows it in firstBlankRow (-1: a new row); returns the record.
    int addRowAndRecord(QByteArrayView domain, int firstBlankRow);

    DomainGrid& m_grid;
    DomainList& m_domains;
};
