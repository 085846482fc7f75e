#include "workflows/domaineditor.h"

#include "domains/domainlist.h"
#include "domains/textfile.h"
#include "domains/userdialogs.h"
#include "engine/bytetext.h"
#include "grid/domaingrid.h"

#include <QFileInfo>

#include <algorithm>

#include <set>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// An import line is trimmed, then cut at its first "|" and then at its first "," (unless either starts it), so
// that a list file's records and "domain,comment" lines give their domain. What is left is not trimmed again.
QByteArray importText(QByteArrayView line)
{
    QByteArray text = trimSpaces(line).toByteArray();
    if (const qsizetype bar = text.indexOf('|'); bar >= 1)
        text.truncate(bar);
    if (const qsizetype comma = text.indexOf(','); comma >= 1)
        text.truncate(comma);
    return text;
}

// The blank rows of the grid, kept up to date while an import adds rows, so that each line costs a lookup instead
// of a pass over the whole grid; the list finds the rows of its domains itself.
class DomainRows {
public:
    explicit DomainRows(const DomainGrid& grid)
        : m_grid(grid)
    {
        const int rows = grid.grid() ? grid.grid()->Rows() : grid.rows() + 1;
        for (int row = 1; row < rows; ++row) {
            if (row > grid.rows() || grid.domainOf(row).isEmpty())
                m_blankRows.insert(row);
        }
    }

    // As FindEngineInGrid answers.
    int find(const QString& name, int& firstBlankRow) const
    {
        const int row = m_grid.domains().findDomain(name);
        const int blank = m_blankRows.empty() ? -1 : *m_blankRows.begin();
        firstBlankRow = (row == -1 || blank < row) ? blank : -1;
        return row;
    }

    int firstBlankRowAfter(int row) const
    {
        const auto blank = m_blankRows.upper_bound(row);
        return blank == m_blankRows.end() ? -1 : *blank;
    }

    void added(int row) { m_blankRows.erase(row); }

private:
    const DomainGrid& m_grid;
    std::set<int> m_blankRows;
};

} // namespace

DomainEditor::DomainEditor(DomainGrid& grid, DomainList& domains)
    : m_grid(grid)
    , m_domains(domains)
{
}

AddDomainResult DomainEditor::AddADomain(QByteArray& text)
{
    const NormalisedDomain normalised = NormaliseDomain(text);
    if (normalised.result != AddDomainResult::AddOk)
        return normalised.result;
    text = normalised.domain;

    const QString domain = textFromBytes(text);
    int firstBlankRow = -1;
    if (m_grid.FindEngineInGrid(domain, firstBlankRow) != -1)
        return AddDomainResult::AddOk;
    if (firstBlankRow != -1 && firstBlankRow <= m_domains.count())
        firstBlankRow = firstBlankRowAfterList();
    addRowAndRecord(text, firstBlankRow);
    m_grid.CaptureUrlsData();
    return AddDomainResult::AddOk;
}

int DomainEditor::firstBlankRowAfterList() const
{
    // The rows after the list are blank: the first of them, when the grid has one.
    const GridControl* grid = m_grid.grid();
    return grid && m_domains.count() + 1 < grid->Rows() ? m_domains.count() + 1 : -1;
}

int DomainEditor::addRowAndRecord(QByteArrayView domain, int firstBlankRow)
{
    int row = firstBlankRow;
    m_domains.appendDomain(domain);
    m_grid.AddRow(row);
    if (GridControl* grid = m_grid.grid())
        grid->makeCurrent(row, GridColumn::Domain);
    return m_domains.count();
}

AddDomainResult DomainEditor::addTypedDomain(const QString& typed)
{
    QByteArray text = typedDomainText(typed);
    return AddADomain(text);
}

void DomainEditor::cmdAddDomain_Click(UserDialogs& dialogs)
{
    const QString answer = dialogs.prompt(u"Enter Domain To Add"_s, u"Add Domain"_s);
    if (addTypedDomain(answer) == AddDomainResult::AddNotADomain)
        dialogs.message(u"This does not appear to be a valid domain"_s);
}

void DomainEditor::cmdRemoveDomain_Click(UserDialogs& dialogs)
{
    const int count = m_domains.count();
    const int row = m_grid.grid() ? m_grid.grid()->Row() : 0;
    // Only a domain row can be removed: a blank row below the list has no record.
    if (count == 0 || row < 1 || row > count)
        return;
    const QString domain = m_grid.cellText(row, GridColumn::Domain);
    if (dialogs.askYesNoCancel(u"Remove domain "_s + domain + u'?', u"Remove Domain"_s) != UserDialogs::Answer::Yes)
        return;
    removeRow(row);
}

void DomainEditor::removeRows(const QList<int>& rows)
{
    m_grid.CaptureUrlsData();
    m_domains.removeRecords(rows);
    m_grid.SetupUrlsGrid();
    m_grid.DisplayUrlsData();
    // The current cell goes to the row that took the (first) removed one's place, so that the rows in view stay.
    const int first = rows.isEmpty() ? 1 : *std::min_element(rows.begin(), rows.end());
    if (GridControl* grid = m_grid.grid())
        grid->makeCurrent(std::clamp(first, 1, std::max(m_domains.count(), 1)), GridColumn::Domain);
}

QString DomainEditor::ShowOpenFileDialog(UserDialogs& dialogs, const QString& filter, const QString& title,
                                         const QString& initialDirectory)
{
    return dialogs.openFile(title, initialDirectory, filter);
}

void DomainEditor::mnuFileImportUrls_Click(UserDialogs& dialogs)
{
    const QString listDirectory = QFileInfo(m_domains.filePath()).absolutePath();
    const QString path = ShowOpenFileDialog(dialogs, u"*.txt"_s, u"Import Urls"_s, listDirectory);
    if (path.isEmpty())
        return;
    QString error;
    const std::optional<QByteArray> contents = readTextFile(path, error);
    if (!contents) {
        dialogs.message(u"The file %1 cannot be read: %2\n\nNo domain was imported."_s.arg(path, error));
        return;
    }
    importContents(*contents);
}

DomainEditor::AddSummary DomainEditor::importContents(const QByteArray& contents, const std::function<bool()>& stopped)
{
    constexpr QByteArrayView byteOrderMark = "\xEF\xBB\xBF";
    const QByteArrayView text = QByteArrayView(contents).startsWith(byteOrderMark)
                                    ? QByteArrayView(contents).sliced(byteOrderMark.size())
                                    : QByteArrayView(contents);
    AddSummary summary;
    GridControl* grid = m_grid.grid();
    DomainRows rows(m_grid);
    bool capturedAll = false;
    if (grid)
        grid->setRedraw(false);
    constexpr int linesBetweenAsking = 1024;
    int lineNumber = 0;
    for (const QByteArray& line : DomainList::splitLines(text.toByteArray())) {
        if (stopped && ++lineNumber % linesBetweenAsking == 0 && stopped())
            break;
        const NormalisedDomain normalised = NormaliseDomain(importText(line));
        if (normalised.result == AddDomainResult::AddNotADomain && summary.rejected++ == 0)
            summary.firstRejected = line;
        if (normalised.result != AddDomainResult::AddOk)
            continue;
        const QString domain = textFromBytes(normalised.domain);
        int firstBlankRow = -1;
        if (rows.find(domain, firstBlankRow) != -1) {
            ++summary.alreadyListed;
            continue;
        }
        if (firstBlankRow != -1 && firstBlankRow <= m_domains.count())
            firstBlankRow = rows.firstBlankRowAfter(m_domains.count());
        const int row = addRowAndRecord(normalised.domain, firstBlankRow);
        rows.added(row);
        ++summary.added;
        // The first domain added fills in what the list's records lack, as AddADomain does; the records added
        // after it are whole.
        if (!std::exchange(capturedAll, true))
            m_grid.CaptureUrlsData();
    }
    if (grid)
        grid->setRedraw(true);
    return summary;
}
