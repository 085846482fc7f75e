#pragma once

// What the history's export and its reading share: the CSV header line and the front ends' names.

#include "domains/historystore.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace historyfile {

inline const QByteArray csvHeader =
    QByteArrayLiteral("run_started,run_ended,front_end,cancelled,domain,engine,at,count,failure,detail\n");
constexpr int CsvFields = 10;

inline QString frontEndName(FrontEnd frontEnd)
{
    return frontEnd == FrontEnd::CommandLine ? QStringLiteral("command-line") : QStringLiteral("window");
}

inline std::optional<FrontEnd> frontEndFrom(QStringView name)
{
    if (name == u"window")
        return FrontEnd::Window;
    if (name == u"command-line")
        return FrontEnd::CommandLine;
    return std::nullopt;
}

} // namespace historyfile
