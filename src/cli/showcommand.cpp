#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "engine/bytetext.h"
#include "grid/gridcolumns.h"
#include "workflows/listsession.h"

#include <algorithm>
#include <array>

int ShowCommand::execute(ListSession& session, Invocation& invocation, const QStringList& /*arguments*/)
{
    // The header row and the domain rows, columns Domain, Total and the five engines, as the window shows them.
    constexpr int columns = GridColumn::FirstEngine + EngineCount;
    const GridControl& cells = session.grid().grid();
    std::array<qsizetype, columns> widths{};
    for (int row = 0; row <= session.domains().count(); ++row) {
        for (int col = 0; col < columns; ++col)
            widths[col] = std::max(widths[col], cells.TextMatrix(row, col).size());
    }
    for (int row = 0; row <= session.domains().count(); ++row) {
        // The domain is left-aligned, the numbers right-aligned, so that their digits line up.
        QString line = cells.TextMatrix(row, GridColumn::Domain).leftJustified(widths[GridColumn::Domain]);
        for (int col = GridColumn::Total; col < columns; ++col)
            line += QStringLiteral("  ") + cells.TextMatrix(row, col).rightJustified(widths[col]);
        invocation.console.print(bytesFromText(line) + '\n');
    }
    return ExitStatus::Ok;
}
