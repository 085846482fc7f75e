#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "domains/domaintext.h"
#include "workflows/listsession.h"

using namespace Qt::StringLiterals;

int AddCommand::execute(ListSession& session, Invocation& invocation, const QStringList& arguments)
{
    // All or nothing: one text that is no domain leaves the list as it was.
    for (const QString& argument : arguments) {
        if (NormaliseDomain(typedDomainText(argument)).result != AddDomainResult::AddOk) {
            invocation.console.error(u"This does not appear to be a valid domain: %1"_s.arg(argument));
            return ExitStatus::Usage;
        }
    }
    // A domain already listed, in any letter case, is left as it is.
    for (const QString& argument : arguments)
        session.editor().addTypedDomain(argument);
    return invocation.saveList(session);
}
