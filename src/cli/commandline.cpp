#include "cli/commandline.h"

#include "cli/command.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "cli/optioncheck.h"
#include "cli/terminalruncontrols.h"
#include "cli/terminaltext.h"
#include "domains/listlocation.h"
#include "domains/pathkind.h"
#include "workflows/listsession.h"
#include "workflows/terminationsignals.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

#include <arpa/inet.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// "ADDRESS:PORT" of --connect-to: every request goes there, whatever its host; nothing when it is no IPv4
// address and port.
std::optional<SocketSettings> connectTo(const QString& target)
{
    const qsizetype colon = target.lastIndexOf(u':');
    bool portRead = false;
    const int port = target.sliced(colon + 1).toInt(&portRead);
    in_addr address{};
    if (colon < 1 || !portRead || port < 1 || port > 65535 ||
        ::inet_pton(AF_INET, target.first(colon).toLatin1().constData(), &address) != 1)
        return std::nullopt;
    SocketSettings settings;
    const quint32 hostOrder = ntohl(address.s_addr);
    settings.resolveName = [hostOrder](const QByteArray&) { return std::optional<quint32>(hostOrder); };
    settings.dialPort = [port](int) { return port; };
    return settings;
}

// "--wait" alone waits as long as it takes; the parser takes it as "--wait=" with an empty value. What follows
// "--" is left as it stands.
QStringList withWaitValues(QStringList arguments)
{
    const qsizetype end = arguments.indexOf(u"--"_s);
    for (qsizetype at = 1; at < (end < 0 ? arguments.size() : end); ++at) {
        if (arguments[at] == u"--wait"_s)
            arguments[at] = u"--wait="_s;
    }
    return arguments;
}

// Ends a run whose output went missing: a reader that has gone (EPIPE) ends it quietly, as it would end a
// pipeline; any other failure is told.
int outputStatus(const Console& console, int status)
{
    const int error = console.finishOutput();
    if (error == 0)
        return status;
    if (error == EPIPE)
        return ExitStatus::SignalBase + SIGPIPE;
    console.error(u"standard output could not be written: %1"_s.arg(QString::fromLocal8Bit(std::strerror(error))));
    return ExitStatus::OutputFailed;
}

// Takes the list's lock, waiting for another instance to let it go as --wait says.
bool lockList(ListSession& session, const QCommandLineParser& parser)
{
    const bool wait = parser.isSet(u"wait"_s);
    const QString seconds = parser.value(u"wait"_s);
    const QDeadlineTimer deadline = seconds.isEmpty() ? QDeadlineTimer(QDeadlineTimer::Forever)
                                                      : QDeadlineTimer(std::chrono::seconds(seconds.toInt()));
    while (!session.lock(true)) {
        if (!wait || session.problem() != ListProblem::InUse || deadline.hasExpired() ||
            TerminationSignals::received() != 0)
            return false;
        // The other instance gives no sign when it lets go; a tenth of a second is soon enough for cron.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

} // namespace

int runCommandLine(const QStringList& arguments, const Console& console)
{
    const Commands commands = makeCommands();
    QCommandLineParser parser;
    parser.addOptions(commandLineOptions());

    Invocation invocation{console, parser, commands, {}, false};
    // Each message says what to do instead.
    const auto usageError = [&](const QString& message) {
        console.error(message);
        return ExitStatus::Usage;
    };
    const QStringList withWait = withWaitValues(arguments);
    if (const QString problem = optionProblem(withWait, commandLineOptions()); !problem.isEmpty())
        return usageError(problem);
    if (!parser.parse(withWait))
        return usageError(u"the options cannot be read; brenlow-cli --help lists them"_s);
    if (parser.isSet(u"list"_s) && parser.value(u"list"_s).isEmpty())
        return usageError(u"the file name given to --list is empty; name the list file, as --list=FILE"_s);
    if (parser.isSet(u"version"_s)) {
        console.print(u"brenlow-cli %1\n"_s.arg(QCoreApplication::applicationVersion()).toUtf8());
        return outputStatus(console, ExitStatus::Ok);
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        if (!parser.isSet(u"help"_s))
            return usageError(u"no command given; brenlow-cli --help lists the commands"_s);
        invocation.printUsage(nullptr);
        return outputStatus(console, ExitStatus::Ok);
    }
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [&](const auto& command) { return command->name() == positional.first(); });
    if (found == commands.end())
        return usageError(
            u"there is no command %1; brenlow-cli --help lists the commands"_s.arg(printableText(positional.first())));
    Command& command = **found;
    if (parser.isSet(u"help"_s)) {
        invocation.printUsage(&command);
        return outputStatus(console, ExitStatus::Ok);
    }
    const QStringList commandArguments = positional.sliced(1);
    const QStringList commandOptions = command.options();
    for (const QString& option :
         {u"format"_s, u"no-header"_s, u"since"_s, u"until"_s, u"export"_s, u"import"_s, u"wait"_s, u"release"_s,
          u"linking-domains"_s, u"webgraph-index"_s, u"webgraph-data"_s}) {
        const bool belongs = commandOptions.contains(option) ||
                             (option == u"wait"_s && command.writesList(parser) && command.opensList());
        if (parser.isSet(option) && !belongs)
            return usageError(
                u"--%1 is not an option of %2; brenlow-cli help %2 lists its options"_s.arg(option, command.name()));
    }
    bool waitRead = true;
    if (parser.isSet(u"wait"_s) && !parser.value(u"wait"_s).isEmpty() &&
        (parser.value(u"wait"_s).toInt(&waitRead) < 0 || !waitRead))
        return usageError(u"--wait takes a number of seconds, as --wait=60"_s);
    if (!command.acceptsArgumentCount(commandArguments.size()))
        return usageError(u"wrong number of arguments for %1; its usage is brenlow-cli %2"_s.arg(
            command.name(), QString(command.name() + u' ' + command.arguments()).trimmed()));

    // Standard input that was closed when the program started is found before the list is touched.
    if (console.inputClosed() && command.readsStandardInput(parser, commandArguments)) {
        console.error(u"standard input cannot be read: it is closed; nothing was imported"_s);
        return ExitStatus::Usage;
    }

    invocation.listPath =
        parser.isSet(u"list"_s) ? parser.value(u"list"_s) : listFilePath(QCoreApplication::applicationDirPath());
    if (!command.opensList())
        return outputStatus(console, command.execute(invocation, commandArguments));

    const bool listOptional = !command.needsList(parser) && pathKind(invocation.listPath) == PathKind::Missing;
    if (const QString problem = invocation.listPathProblem(command.writesList(parser));
        !problem.isEmpty() && !listOptional) {
        console.error(problem);
        return ExitStatus::ListUnusable;
    }

    SocketSettings socketSettings;
    if (parser.isSet(u"connect-to"_s)) {
        const std::optional<SocketSettings> target = connectTo(parser.value(u"connect-to"_s));
        if (!target)
            return usageError(u"--connect-to takes an IPv4 address and a port, as 127.0.0.1:8080"_s);
        socketSettings = *target;
    }
    SessionOptions options;
    options.listFilePath = invocation.listPath;
    options.locale = CountText::userLocale();
    options.socketSettings = std::move(socketSettings);
    options.pump = [] { QCoreApplication::processEvents(); };
    options.frontEnd = FrontEnd::CommandLine;
    options.newList = DomainList::NewList::EmptyUnsaved;
    options.recordsRuns = command.recordsRuns();
    // The run goes on without its history; a cron job's mail says why, once.
    options.historyNotKept = [&console](const QString& problem) {
        console.error(u"history is not being kept: "_s + problem);
    };
    ListSession session(std::move(options));
    TerminalRunControls runControls(console, session.engines());
    session.showIn(runControls);
    invocation.watched = runControls.isTerminal();

    // A termination signal cancels a run, whose counts are saved all the same; other commands look for it
    // themselves and end without saving.
    const TerminationSignals termination([&](int) { session.cancelUpdate(); });
    // A command that writes finds out that it cannot before it changes or asks anything.
    if (command.writesList(parser) && (!lockList(session, parser) || !session.checkWritable())) {
        if (TerminationSignals::received() != 0)
            return ExitStatus::SignalBase + TerminationSignals::received();
        console.error(session.problemText());
        return ExitStatus::ListUnusable;
    }
    if (!session.load()) {
        console.error(session.problemText());
        return ExitStatus::ListUnusable;
    }
    return outputStatus(console, command.execute(session, invocation, commandArguments));
}
