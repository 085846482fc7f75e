#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "cli/terminaltext.h"
#include "domains/domaintext.h"
#include "workflows/listsession.h"

using namespace Qt::StringLiterals;

int AddCommand::execute(ListSession& session, Invocation& invocation, const QStringList& arguments)
{
    // All or nothing: one text that is no domain leaves the list as it was.
    for (const QString& argument : arguments) {
        if (NormaliseDomain(typedDomainText(argument)).result != AddDomainResult::AddOk) {
            invocation.console.error(u"This does not appear to be a valid domain: %1"_s.arg(printableText(argument)));
            return ExitStatus::Usage;
        }
    }
    // A domain already listed, in any letter case, is left as it is.
    int added = 0;
    for (const QString& argument : arguments) {
        const int before = session.domains().count();
        session.editor().addTypedDomain(argument);
        added += session.domains().count() - before;
    }
    const int status = invocation.saveList(session);
    if (status == ExitStatus::Ok)
        invocation.console.print(u"%1 added, %2 already listed\n"_s.arg(added).arg(arguments.size() - added).toUtf8());
    return status;
}
