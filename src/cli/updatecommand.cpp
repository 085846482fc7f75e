#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/listeddomain.h"
#include "cli/listsession.h"

using namespace Qt::StringLiterals;

int UpdateCommand::execute(ListSession& session, const Console& console, const QStringList& arguments)
{
    // Every domain named must be in the list before a single request goes out.
    QList<int> rows;
    for (const QString& argument : arguments) {
        const int row = rowOfListedDomain(session.grid(), session.domains(), argument);
        if (row < 0) {
            console.error(u"%1 is not in the list"_s.arg(argument));
            return ExitStatus::Usage;
        }
        if (!rows.contains(row))
            rows.append(row);
    }

    // Update All runs the whole list; each domain named runs on its own, as "Update This Domain Only" does.
    UpdateRun& run = session.run();
    int failedFetches = 0;
    if (arguments.isEmpty()) {
        run.UpdateResults(1, session.domains().count());
        failedFetches += run.failedFetches();
    }
    for (const int row : rows) {
        if (session.signalReceived() != 0)
            break;
        run.UpdateResults(row, row);
        failedFetches += run.failedFetches();
    }

    if (!session.save())
        return ExitStatus::ListUnusable;
    if (session.signalReceived() != 0)
        return ExitStatus::SignalBase + session.signalReceived();
    return failedFetches > 0 ? ExitStatus::FetchFailed : ExitStatus::Ok;
}
