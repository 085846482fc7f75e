#include "cli/optioncheck.h"

#include "cli/terminaltext.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QCommandLineOption* optionNamed(const QList<QCommandLineOption>& options, const QString& name)
{
    const auto found = std::find_if(options.begin(), options.end(),
                                    [&](const QCommandLineOption& option) { return option.names().contains(name); });
    return found == options.end() ? nullptr : &*found;
}

// --wait takes its value only after "=": alone it waits as long as it takes.
bool takesValue(const QCommandLineOption& option)
{
    return !option.valueName().isEmpty() && !option.names().contains(u"wait"_s);
}

QString valueMissing(const QString& typed, const QCommandLineOption& option)
{
    return u"%1 needs a value, as %2=%3"_s.arg(typed, u"--"_s + option.names().constLast(), option.valueName());
}

} // namespace

QString optionProblem(const QStringList& arguments, const QList<QCommandLineOption>& options)
{
    for (qsizetype at = 1; at < arguments.size(); ++at) {
        const QString& argument = arguments[at];
        if (argument == u"--"_s)
            break;
        if (argument == u"-"_s || !argument.startsWith(u'-'))
            continue;
        if (argument.startsWith(u"--"_s)) {
            const QString typed = argument.section(u'=', 0, 0);
            const QCommandLineOption* option = optionNamed(options, typed.sliced(2));
            if (!option || typed.size() < 4) // single letters take one dash
                return u"%1 is not an option; brenlow-cli --help lists the options"_s.arg(printableText(typed));
            const bool valueGiven = argument.contains(u'=');
            if (option->valueName().isEmpty() && valueGiven)
                return u"%1 takes no value"_s.arg(typed);
            if (takesValue(*option) && !valueGiven && ++at >= arguments.size())
                return valueMissing(typed, *option);
            continue;
        }
        // Short options: -h alone, or -l with its value joined to it or after it.
        const QString letters = argument.sliced(1);
        const QCommandLineOption* option = optionNamed(options, letters.first(1));
        if (option && takesValue(*option)) {
            if (letters.size() == 1 && ++at >= arguments.size())
                return valueMissing(argument, *option);
            continue;
        }
        if (option && letters.size() == 1)
            continue;
        if (optionNamed(options, letters) && letters.size() > 1)
            return u"%1 is not an option; did you mean -%1?"_s.arg(argument);
        return u"%1 is not an option; to name a domain that begins with '-', put -- before it"_s.arg(
            printableText(argument));
    }
    return {};
}
