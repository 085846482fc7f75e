#include "webgraph/graphdownload.h"

#include "support/httptestserver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A file of 300 kB that no two places repeat, so that a part sent twice or left out shows.
QByteArray sampleFile()
{
    QByteArray bytes(300 * 1024, Qt::Uninitialized);
    QRandomGenerator random(42);
    for (char& byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

class GraphDownloadTest : public ::testing::Test {
protected:
    GraphDownload::Outcome read(const QByteArray& path)
    {
        m_had.clear();
        return m_download.read(QUrl(u"http://127.0.0.1:%1"_s.arg(m_server.port()) + QString::fromLatin1(path)),
                               [this](QByteArrayView piece) {
                                   m_had.append(piece);
                                   return true;
                               });
    }

    HttpTestServer m_server;
    QNetworkAccessManager m_network;
    GraphDownload m_download{m_network, {"Brenlow/9.8.7", std::chrono::milliseconds(0), 3}};
    QByteArray m_had;
};

TEST_F(GraphDownloadTest, AFileComesWholeThroughBreaksAndBusyAnswers)
{
    const QByteArray file = sampleFile();
    const QByteArray busy = "HTTP/1.1 503 Slow Down\r\nContent-Length: 9\r\nConnection: close\r\n\r\nSlow Down";
    struct Case {
        const char* name;
        QList<ServerReply> replies;
        QList<QByteArray> ranges; // the Range headers asked for, in order, each once ("" for none)
        int requests;             // the download's own requests
    };
    const Case cases[] = {
        {"whole at once", {ServerReply::file(file)}, {""}, 1},
        {"broken twice, continued from where it broke",
         {ServerReply::file(file, {100000, 250000})},
         {"", "bytes=100000-", "bytes=250000-"},
         3},
        {"broken, then the whole file again (the server ignores ranges)",
         {ServerReply::file(file, {120000}), ServerReply::file(file, {}, false)},
         {"", "bytes=120000-"},
         2},
        {"busy, then served", {ServerReply::page(busy), ServerReply::file(file)}, {""}, 2},
    };
    int served = 0;
    for (const auto& [name, replies, ranges, requests] : cases) {
        SCOPED_TRACE(name);
        const QByteArray path = "/case" + QByteArray::number(++served) + ".gz";
        m_server.answer(path, replies);
        const int before = m_server.requestCount();
        QElapsedTimer clock;
        clock.start();
        ASSERT_EQ(read(path), GraphDownload::Outcome::Complete) << m_download.error().toStdString();
        EXPECT_TRUE(m_had == file);
        // Qt may send a request again by itself when a connection closes early; the server then answers alike, and
        // the requests are told apart by what they ask for.
        QList<QByteArray> asked;
        for (const QByteArray& request : m_server.requests().mid(before)) {
            EXPECT_TRUE(request.startsWith("GET " + path + " HTTP/1.1\r\n"));
            EXPECT_TRUE(request.contains("\r\nUser-Agent: Brenlow/9.8.7\r\n"));
            EXPECT_TRUE(request.contains("\r\nAccept-Encoding: identity\r\n"));
            const qsizetype range = request.indexOf("\r\nRange: ");
            const QByteArray header =
                range < 0 ? QByteArray() : request.mid(range + 9, request.indexOf('\r', range + 2) - range - 9);
            if (asked.isEmpty() || asked.last() != header)
                asked.append(header);
        }
        EXPECT_EQ(asked, ranges);
        EXPECT_EQ(m_download.requests(), requests);
        // Never asked again within a second, whatever the settings say.
        EXPECT_GE(clock.elapsed(), 1000 * (requests - 1));
    }
}

TEST_F(GraphDownloadTest, ATransferThatFallsSilentGoesOnWhereItStopped)
{
    const QByteArray file = sampleFile();
    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(file.size()) + "\r\n\r\n";
    m_server.answer("/silent.gz", {ServerReply::stallAfter(head + file.first(70000)), ServerReply::file(file)});
    GraphDownload impatient(m_network,
                            {"Brenlow/9.8.7", std::chrono::milliseconds(0), 3, std::chrono::milliseconds(300)});
    QByteArray had;
    EXPECT_EQ(impatient.read(QUrl(u"http://127.0.0.1:%1/silent.gz"_s.arg(m_server.port())),
                             [&had](QByteArrayView piece) {
                                 had.append(piece);
                                 return true;
                             }),
              GraphDownload::Outcome::Complete)
        << impatient.error().toStdString();
    EXPECT_TRUE(had == file);
    EXPECT_TRUE(m_server.requests().last().contains("\r\nRange: bytes=70000-\r\n"));
}

TEST_F(GraphDownloadTest, AReadGoesOnFromTheByteGiven)
{
    const QByteArray file = sampleFile();
    m_server.answer("/part.gz", ServerReply::file(file));
    QTemporaryDir folder;
    QFile local(folder.filePath(u"part.gz"_s));
    ASSERT_TRUE(local.open(QIODevice::WriteOnly) && local.write(file) == file.size());
    local.close();
    for (const QUrl& url :
         {QUrl(u"http://127.0.0.1:%1/part.gz"_s.arg(m_server.port())), QUrl::fromLocalFile(local.fileName())}) {
        QByteArray had;
        EXPECT_EQ(m_download.read(
                      url,
                      [&had](QByteArrayView piece) {
                          had.append(piece);
                          return true;
                      },
                      {}, {}, 123456),
                  GraphDownload::Outcome::Complete);
        EXPECT_TRUE(had == file.mid(123456)) << url.toDisplayString().toStdString();
    }
    EXPECT_TRUE(m_server.requests().last().contains("\r\nRange: bytes=123456-\r\n"));
}

TEST_F(GraphDownloadTest, SaysWhyAFileCannotBeHad)
{
    const QByteArray busy = "HTTP/1.1 503 Slow Down\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    m_server.answer("/busy.gz", ServerReply::page(busy));
    m_server.answer("/wrong-part.gz",
                    {ServerReply::file("0123456789", {5}),
                     ServerReply::page("HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 2-9/10\r\n"
                                       "Content-Length: 8\r\nConnection: close\r\n\r\n23456789")});
    const std::tuple<const char*, QString, int> cases[] = {
        {"/missing.gz", u"the server answered 404 Not Found for http://127.0.0.1:%1/missing.gz"_s, 1},
        {"/busy.gz", u"the server of http://127.0.0.1:%1/busy.gz stayed busy (503) after 3 tries"_s, 3},
        {"/wrong-part.gz",
         u"the server sent another part of http://127.0.0.1:%1/wrong-part.gz than the one asked for"_s, 2},
    };
    for (const auto& [path, error, requests] : cases) {
        EXPECT_EQ(read(path), GraphDownload::Outcome::Failed) << path;
        EXPECT_EQ(m_download.error(), error.arg(m_server.port()));
        EXPECT_EQ(m_download.requests(), requests) << path;
    }
}

TEST_F(GraphDownloadTest, ReadsLocalFilesAndStopsWhenAsked)
{
    QTemporaryDir folder;
    const QByteArray file = sampleFile();
    QFile out(folder.filePath(u"release.gz"_s));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
    out.close();
    QByteArray had;
    QList<qint64> progress;
    const auto keep = [&had](QByteArrayView piece) {
        had.append(piece);
        return true;
    };
    EXPECT_EQ(m_download.read(QUrl::fromLocalFile(out.fileName()), keep,
                              [&progress](qint64 done, qint64 size) { progress.append(size - done); }),
              GraphDownload::Outcome::Complete);
    EXPECT_TRUE(had == file);
    EXPECT_EQ(progress.last(), 0);

    EXPECT_EQ(m_download.read(QUrl::fromLocalFile(folder.filePath(u"none.gz"_s)), keep),
              GraphDownload::Outcome::Failed);
    EXPECT_EQ(m_download.error(), u"there is no file "_s + folder.filePath(u"none.gz"_s));
    EXPECT_EQ(m_download.read(QUrl::fromLocalFile(out.fileName()), keep, {}, [] { return true; }),
              GraphDownload::Outcome::Cancelled);
    EXPECT_EQ(m_download.read(QUrl::fromLocalFile(out.fileName()), [](QByteArrayView) { return false; }),
              GraphDownload::Outcome::Stopped);

    // A server that never ends its answer is left when asked to stop.
    m_server.answer("/stalls.gz", ServerReply::stallAfter("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nabc"));
    int asked = 0;
    EXPECT_EQ(m_download.read(QUrl(u"http://127.0.0.1:%1/stalls.gz"_s.arg(m_server.port())), keep, {},
                              [&asked] { return ++asked > 3; }),
              GraphDownload::Outcome::Cancelled);
}

} // namespace
