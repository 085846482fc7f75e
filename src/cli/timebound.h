#pragma once

#include <QDateTime>
#include <QString>

#include <variant>

// A bound of history's --since or --until. A date alone stands for the start of that day or, for until, its end,
// in local time; a date and time is local time unless it ends in Z or an offset. A local time that the clocks pass
// twice (the hour repeated when summer time ends) stands for its earlier pass as a start and its later pass as an
// end, so that both are included.
struct TimeBound {
    enum class Problem {
        NotATime,    // the text is no date, nor date and time
        NoSuchLocal, // the local time does not exist: the clocks skip it when summer time starts
    };
    std::variant<QDateTime, Problem> value;
};

TimeBound timeBound(const QString& text, bool until);
