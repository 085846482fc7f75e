#pragma once

// How a fetch's failure is stored in the history and its exports: a stable name for its kind and a detail.

#include "values/fetchfailure.h"

#include <QString>
#include <QStringView>

#include <optional>

// The stable name of a failure kind, as the history and its exports store it ("timed-out"), and back; nothing
// for a name that no kind has.
QString failureKindName(FetchFailure kind);
std::optional<FetchFailure> failureKindFromName(QStringView name);
// What a failure says beyond its kind, as the history stores it: "503 Service Unavailable" for an error status,
// "1000 73" for a short body (the length the headers gave, the length that came), empty for the others.
QString failureDetailText(const FailureDetail& failure);
// A failure from its stored name and detail; nothing when they are not a failure's.
std::optional<FailureDetail> failureFromText(QStringView kind, QStringView detail);
