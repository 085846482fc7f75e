#include "cli/commandline.h"

#include "cli/command.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "cli/terminalruncontrols.h"
#include "domains/listlocation.h"
#include "grid/memorygrid.h"
#include "workflows/listsession.h"
#include "workflows/terminationsignals.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <arpa/inet.h>

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

QString commandUsage(const Command& command)
{
    return u"brenlow-cli [--list FILE] %1 %2"_s.arg(command.name(), command.arguments()).trimmed();
}

QString description(const std::vector<std::unique_ptr<Command>>& commands)
{
    QString text = u"Measures the link popularity of the domains in Brenlow's list: the same list, requests and "
                   u"counts as the window.\n\nCommands:\n"_s;
    for (const auto& command : commands)
        text += u"  %1  %2\n"_s.arg(QString(command->name() + u' ' + command->arguments()).trimmed(), -18)
                    .arg(command->summary());
    return text;
}

} // namespace

int runCommandLine(const QStringList& arguments, const Console& console)
{
    const std::vector<std::unique_ptr<Command>> commands = makeCommands();
    QCommandLineParser parser;
    parser.setApplicationDescription(description(commands));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption listOption({u"l"_s, u"list"_s},
                                        u"Use the domain list FILE, made as a new list when missing, instead of "
                                        u"the one the window uses."_s,
                                        u"FILE"_s);
    const QCommandLineOption connectOption(u"connect-to"_s,
                                           u"Send every request to ADDRESS:PORT (an IPv4 address) instead of the "
                                           u"engine's host; the requests stay as they are. For a local proxy or "
                                           u"test server."_s,
                                           u"ADDRESS:PORT"_s);
    parser.addOptions({listOption, connectOption});
    parser.addPositionalArgument(u"command"_s, u"The command to run: show, update, add, remove or import."_s,
                                 u"COMMAND [ARGUMENT...]"_s);
    // Everything after the command belongs to it.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);

    const auto usageError = [&](const QString& message, const QString& usage) {
        console.error(message);
        console.error(u"usage: "_s + usage);
        return ExitStatus::Usage;
    };
    const QString generalUsage = u"brenlow-cli [--list FILE] COMMAND [ARGUMENT...]; see brenlow-cli --help"_s;
    if (!parser.parse(arguments))
        return usageError(parser.errorText(), generalUsage);
    if (parser.isSet(versionOption))
        parser.showVersion();
    if (parser.isSet(helpOption))
        parser.showHelp(ExitStatus::Ok);

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usageError(u"no command given"_s, generalUsage);
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [&](const auto& command) { return command->name() == positional.first(); });
    if (found == commands.end())
        return usageError(u"there is no command %1"_s.arg(positional.first()), generalUsage);
    Command& command = **found;
    const QStringList commandArguments = positional.sliced(1);
    if (commandArguments == QStringList{u"--help"_s} || commandArguments == QStringList{u"-h"_s}) {
        console.print((u"usage: "_s + commandUsage(command) + u"\n\n"_s + command.summary() + u'\n').toUtf8());
        return ExitStatus::Ok;
    }
    if (!command.acceptsArgumentCount(commandArguments.size()))
        return usageError(u"wrong number of arguments for %1"_s.arg(command.name()), commandUsage(command));

    SocketSettings socketSettings;
    if (parser.isSet(connectOption)) {
        const std::optional<SocketSettings> target = connectTo(parser.value(connectOption));
        if (!target)
            return usageError(u"--connect-to takes an IPv4 address and a port, as 127.0.0.1:8080"_s, generalUsage);
        socketSettings = *target;
    }
    SessionOptions options;
    options.listFilePath =
        parser.isSet(listOption) ? parser.value(listOption) : listFilePath(QCoreApplication::applicationDirPath());
    options.locale = CountText::userLocale();
    options.socketSettings = std::move(socketSettings);
    options.pump = [] { QCoreApplication::processEvents(); };
    ListSession session(std::move(options));
    MemoryGrid cells;
    TerminalRunControls runControls(console, session.engines());
    session.showIn(cells, runControls);

    // A termination signal cancels a run; the list is saved all the same.
    Invocation invocation{console, runControls.isTerminal()};
    const TerminationSignals signals([&](int signal) {
        invocation.signalReceived = signal;
        session.fetcher().requestCancel();
    });
    if (!session.lock(command.savesList()) || !session.load()) {
        console.error(session.problemText());
        return ExitStatus::ListUnusable;
    }
    return command.execute(session, invocation, commandArguments);
}
