#pragma once

#include <QByteArray>

// Why a fetch gave no count.
enum class FetchFailure : quint8 {
    None,
    RequestRefused,   // an empty host, or a host or path that would break the request line
    HostNotFound,     // the host name cannot be resolved
    LookupTimedOut,   // the name lookup gave no answer within the time-out
    ConnectFailed,    // refused, unreachable, ...
    SendFailed,       // the request could not be written
    TimedOut,         // no answer, or no end to it, in time (connect, receive, or the attempt's deadline)
    Cancelled,        // Cancel was pressed
    ConnectionBroken, // reset while the response came
    NoAnswer,         // closed before a single byte
    TooLarge,         // larger than HttpFetcher::MaxResponseSize
    ErrorStatus,      // the status line gave a status outside 200 to 299
    ShortBody,        // the body fell short of its Content-Length
    NoCount,          // the page came whole but states no count: found by the reader of the page, not the fetch
};

struct FailureDetail {
    FetchFailure kind = FetchFailure::None;
    // For ErrorStatus: the status line's status and reason phrase (printable ASCII only).
    int status = 0;
    QByteArray statusText;
    // For ShortBody: the length the headers gave and the length that came.
    qint64 contentLength = 0;
    qint64 bodyLength = 0;
};
