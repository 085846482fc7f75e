#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// What the head of an HTTP/1.x response says about the response as a whole: its status, when the first line is
// a status line ("HTTP/1.", a digit, a space and three digits), and the body's length, when a Content-Length
// header gives one.
struct ResponseHead {
    bool statusLine = false; // false: no status line; the response is taken as it stands
    int status = 0;          // 0 to 999
    QByteArray statusText;   // the reason phrase, printable ASCII only and at most 60 characters
    std::optional<qint64> contentLength;
    qint64 bodyLength = 0; // what came after the empty line that ends the head; 0 without one

    bool hasStatus() const { return statusLine; }
    bool statusIsSuccess() const { return status >= 200 && status <= 299; }
    // A body shorter than its Content-Length was cut off on the way.
    bool bodyIsShort() const { return contentLength && bodyLength < *contentLength; }
};

ResponseHead readResponseHead(QByteArrayView response);
