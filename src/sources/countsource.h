#pragma once

#include "values/fetchfailure.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// What asking a source for one domain's link count came to: the count, or why there is none.
struct SourceOutcome {
    std::optional<qint64> count;
    FailureDetail failure;
};

// A source of link counts: a row of the catalogue (its name) and the way to ask it. Everything else (the list's
// columns and fields, the history, the outputs) follows from the catalogue's rows.
class CountSource {
public:
    virtual ~CountSource() = default;

    // The column's title, the name of the list file's field and the history's name for the source.
    virtual QString name() const = 0;
    // Asks for the count of one domain, its bytes as the list holds them; returns once it is known or failed.
    virtual SourceOutcome fetchCount(QByteArrayView domain) = 0;
};
