#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/listsession.h"
#include "domains/textfile.h"

using namespace Qt::StringLiterals;

int ImportCommand::execute(ListSession& session, const Console& console, const QStringList& arguments)
{
    QString error;
    const std::optional<QByteArray> contents = readTextFile(arguments.first(), error);
    if (!contents) {
        console.error(u"the file %1 cannot be read: %2; no domain was imported"_s.arg(arguments.first(), error));
        return ExitStatus::Usage;
    }
    session.editor().importContents(*contents);
    return session.save() ? ExitStatus::Ok : ExitStatus::ListUnusable;
}
