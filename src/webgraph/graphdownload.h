#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// Reads one file from an http(s) server, or from a local folder (file:), from its first byte to its last, and
// hands each piece on as it comes: nothing is kept. The servers of a large dataset answer 503 when busy and
// connections to them break: a 503 is asked again after a pause of at least a second; a broken transfer goes on
// with "Range: bytes=N-" from the byte where it broke (and when the server answers 200 to that, the N bytes
// already had are skipped), so the reader of the pieces sees one unbroken file. Runs the calling thread's events
// while it waits; it is used from one thread.
class GraphDownload {
public:
    struct Settings {
        QByteArray userAgent;                          // "Brenlow/1.5.0"
        std::chrono::milliseconds retryPause{1000};    // before asking again after a 503 or a break; never below 1 s
        int attemptsWithoutProgress = 6;               // answers in a row that bring no byte before it gives up
        std::chrono::milliseconds stallTimeout{60000}; // a transfer silent this long is broken
    };
    // Takes the next piece of the file; false stops the download (what stopped it says why).
    using Sink = std::function<bool(QByteArrayView piece)>;
    // Bytes had so far and the file's size (0 while unknown).
    using Progress = std::function<void(qint64 done, qint64 size)>;
    // Asked now and then while it waits: true ends the download as cancelled.
    using StopRequested = std::function<bool()>;

    GraphDownload(QNetworkAccessManager& network, Settings settings);
    ~GraphDownload();
    GraphDownload(const GraphDownload&) = delete;
    GraphDownload& operator=(const GraphDownload&) = delete;

    enum class Outcome { Complete, Failed, Stopped, Cancelled };
    // from: the first byte to read, for a file read in part before.
    Outcome read(const QUrl& url, const Sink& sink, const Progress& progress = {}, const StopRequested& stop = {},
                 qint64 from = 0);
    // Why the last read failed, as a clause: "the server answered 404 Not Found for https://…".
    const QString& error() const { return m_error; }
    // How many requests the last read made (the first and every retry).
    int requests() const { return m_requests; }

private:
    Outcome readFile(const QUrl& url, const Sink& sink, const Progress& progress, const StopRequested& stop,
                     qint64 from);
    Outcome readHttp(const QUrl& url, const Sink& sink, const Progress& progress, const StopRequested& stop,
                     qint64 from);

    QNetworkAccessManager& m_network;
    Settings m_settings;
    QString m_error;
    int m_requests = 0;
};
