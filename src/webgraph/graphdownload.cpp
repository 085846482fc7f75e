#include "webgraph/graphdownload.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr qint64 PieceSize = 1024 * 1024;
constexpr std::chrono::milliseconds StopPoll{100};

struct LaterDeleter {
    void operator()(QNetworkReply* reply) const { reply->deleteLater(); }
};

// The first byte and the whole size a 206 answer's Content-Range gives ("bytes 100-999/1000"); the size is 0 when
// the server does not know it ("/*").
std::optional<std::pair<qint64, qint64>> contentRange(const QByteArray& header)
{
    if (!header.startsWith("bytes "))
        return std::nullopt;
    const qsizetype dash = header.indexOf('-');
    const qsizetype slash = header.indexOf('/');
    if (dash < 0 || slash < dash)
        return std::nullopt;
    bool ok = false;
    const qint64 first = header.mid(6, dash - 6).trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    const QByteArray total = header.mid(slash + 1).trimmed();
    const qint64 size = total == "*" ? 0 : total.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return std::pair{first, size};
}

// Errors after which asking again may succeed: the connection, not the request, failed. A transfer that stays
// silent past its timeout ends as cancelled, though nobody cancelled it.
bool isPassing(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::InternalServerError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownServerError:
    case QNetworkReply::ProtocolFailure:
        return true;
    default:
        return false;
    }
}

// Waits, running events, for pause or until stop asks to end; true when it asked.
bool pauseUnlessStopped(std::chrono::milliseconds pause, const GraphDownload::StopRequested& stop)
{
    QEventLoop loop;
    QTimer::singleShot(pause, &loop, &QEventLoop::quit);
    QTimer poll;
    bool stopped = false;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (stop && stop()) {
            stopped = true;
            loop.quit();
        }
    });
    poll.start(StopPoll);
    loop.exec();
    return stopped;
}

} // namespace

GraphDownload::GraphDownload(QNetworkAccessManager& network, Settings settings)
    : m_network(network)
    , m_settings(std::move(settings))
{
    m_settings.retryPause = std::max(m_settings.retryPause, std::chrono::milliseconds(1s));
}

GraphDownload::~GraphDownload() = default;

GraphDownload::Outcome GraphDownload::read(const QUrl& url, const Sink& sink, const Progress& progress,
                                           const StopRequested& stop, qint64 from)
{
    m_error.clear();
    m_requests = 0;
    if (url.isLocalFile())
        return readFile(url, sink, progress, stop, from);
    if (url.scheme() != u"http"_s && url.scheme() != u"https"_s) {
        m_error = u"%1 is neither a web address nor a local file"_s.arg(url.toDisplayString());
        return Outcome::Failed;
    }
    return readHttp(url, sink, progress, stop, from);
}

GraphDownload::Outcome GraphDownload::readFile(const QUrl& url, const Sink& sink, const Progress& progress,
                                               const StopRequested& stop, qint64 from)
{
    QFile file(url.toLocalFile());
    if (!file.exists()) {
        m_error = u"there is no file %1"_s.arg(file.fileName());
        return Outcome::Failed;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = u"%1 cannot be read: %2"_s.arg(file.fileName(), file.errorString());
        return Outcome::Failed;
    }
    const qint64 size = file.size();
    qint64 had = from;
    if (!file.seek(from)) {
        m_error = u"%1 cannot be read: %2"_s.arg(file.fileName(), file.errorString());
        return Outcome::Failed;
    }
    QByteArray piece(PieceSize, Qt::Uninitialized);
    while (true) {
        if (stop && stop())
            return Outcome::Cancelled;
        const qint64 read = file.read(piece.data(), piece.size());
        if (read < 0) {
            m_error = u"%1 cannot be read: %2"_s.arg(file.fileName(), file.errorString());
            return Outcome::Failed;
        }
        if (read == 0)
            return Outcome::Complete;
        had += read;
        if (!sink(QByteArrayView(piece.constData(), read)))
            return Outcome::Stopped;
        if (progress)
            progress(had, size);
    }
}

GraphDownload::Outcome GraphDownload::readHttp(const QUrl& url, const Sink& sink, const Progress& progress,
                                               const StopRequested& stop, qint64 from)
{
    qint64 had = from; // bytes had, those of an earlier read included
    qint64 size = 0;   // the file's size, once an answer gave it
    int fruitless = 0;
    while (true) {
        if (stop && stop())
            return Outcome::Cancelled;
        QNetworkRequest request(url);
        request.setRawHeader("User-Agent", m_settings.userAgent);
        // Bytes as the server keeps them: Qt would otherwise ask for, and undo, a compression of its own.
        request.setRawHeader("Accept-Encoding", "identity");
        if (had > 0)
            request.setRawHeader("Range", "bytes=" + QByteArray::number(had) + '-');
        request.setTransferTimeout(int(m_settings.stallTimeout.count()));
        ++m_requests;
        const std::unique_ptr<QNetworkReply, LaterDeleter> reply(m_network.get(request));

        const qint64 before = had;
        int status = 0;
        qint64 skip = 0;
        bool checked = false;
        bool sinkStopped = false;
        bool cancelled = false;
        QString refused; // the answer is not the file, and asking again will not change that
        const auto consume = [&] {
            if (!checked) {
                checked = true;
                status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
                if (status == 206) {
                    const auto range = contentRange(reply->rawHeader("Content-Range"));
                    if (!range || range->first != had) {
                        refused =
                            u"the server sent another part of %1 than the one asked for"_s.arg(url.toDisplayString());
                        reply->abort();
                        return;
                    }
                    size = range->second;
                } else if (status == 200) {
                    // The whole file again, though a part was asked for: the bytes already had are passed over.
                    skip = had;
                    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
                    if (length.isValid())
                        size = length.toLongLong();
                }
            }
            if (status != 200 && status != 206) {
                reply->readAll();
                return;
            }
            while (reply->bytesAvailable() > 0 && !sinkStopped) {
                QByteArray piece = reply->read(PieceSize);
                if (skip > 0) {
                    const qint64 passed = std::min<qint64>(skip, piece.size());
                    skip -= passed;
                    piece.remove(0, passed);
                    if (piece.isEmpty())
                        continue;
                }
                had += piece.size();
                if (!sink(piece)) {
                    sinkStopped = true;
                    reply->abort();
                    return;
                }
                if (progress)
                    progress(had, size);
            }
        };
        QEventLoop loop;
        QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, consume);
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (stop && stop()) {
                cancelled = true;
                reply->abort();
            }
        });
        poll.start(StopPoll);
        if (!reply->isFinished())
            loop.exec();
        if (!sinkStopped && !cancelled && refused.isEmpty())
            consume();

        if (sinkStopped)
            return Outcome::Stopped;
        if (cancelled)
            return Outcome::Cancelled;
        if (!refused.isEmpty()) {
            m_error = refused;
            return Outcome::Failed;
        }
        const QNetworkReply::NetworkError error = reply->error();
        if (error == QNetworkReply::NoError && (status == 200 || status == 206) && (size == 0 || had >= size))
            return Outcome::Complete;

        const bool busy = status == 503 || (status >= 500 && status != 501 && status != 505);
        const bool httpError = status >= 400 && !busy;
        if (httpError || (!busy && error != QNetworkReply::NoError && !isPassing(error))) {
            m_error = status != 0 ? u"the server answered %1 %2 for %3"_s.arg(status).arg(
                                        reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString(),
                                        url.toDisplayString())
                                  : u"%1 could not be read: %2"_s.arg(url.toDisplayString(), reply->errorString());
            return Outcome::Failed;
        }
        fruitless = had > before ? 0 : fruitless + 1;
        if (fruitless >= m_settings.attemptsWithoutProgress) {
            m_error = busy ? u"the server of %1 stayed busy (%2) after %3 tries"_s.arg(url.toDisplayString())
                                 .arg(status)
                                 .arg(m_requests)
                           : u"%1 could not be read: %2"_s.arg(url.toDisplayString(), reply->errorString());
            return Outcome::Failed;
        }
        if (pauseUnlessStopped(m_settings.retryPause, stop))
            return Outcome::Cancelled;
    }
}
