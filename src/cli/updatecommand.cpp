#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "cli/listeddomain.h"
#include "cli/terminaltext.h"
#include "workflows/listsession.h"

using namespace Qt::StringLiterals;

int UpdateCommand::execute(ListSession& session, Invocation& invocation, const QStringList& arguments)
{
    // Every domain named must be in the list before a single request goes out.
    const std::optional<QList<int>> rows =
        arguments.isEmpty() ? QList<int>() : ListedDomains(session).rowsNamed(arguments, invocation.console);
    if (!rows)
        return ExitStatus::Usage;

    // Update All runs the whole list; each domain named runs on its own, as "Update This Domain Only" does.
    UpdateRun& run = session.run();
    RunSummary summary;
    if (arguments.isEmpty()) {
        run.UpdateResults(1, session.domains().count());
        summary.add(run.lastRun());
    }
    for (const int row : *rows) {
        if (invocation.signalReceived() != 0)
            break;
        run.UpdateResults(row, row);
        summary.add(run.lastRun());
    }
    // A person at the terminal hears how it went; a script or cron job only when something failed.
    if (summary.failed > 0 || invocation.watched)
        invocation.console.error(runSummaryText(summary, session.countText().locale()));

    // What a run found is saved, also when a signal ended it.
    if (!session.save()) {
        invocation.console.error(session.problemText());
        return ExitStatus::ListUnusable;
    }
    if (invocation.signalReceived() != 0)
        return ExitStatus::SignalBase + invocation.signalReceived();
    return summary.failed > 0 ? ExitStatus::FetchFailed : ExitStatus::Ok;
}
