#pragma once

#include "cli/commandline.h"
#include "cli/console.h"
#include "support/httptestserver.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <ostream>

using namespace Qt::StringLiterals;

// The list's records as the tests write them.
inline const QByteArray aRecord = "a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n";
inline const QByteArray bRecord = "b.com|AllTheWeb=6|AltaVista=7|Google=8|HotBot=9|MSN=10|\r\n";
inline const QByteArray twoDomains = aRecord + bRecord;
// a.com after a run ended while Google's fetch waited: the counts of the first two engines, the others kept.
inline const QByteArray aStoppedAtGoogle = "a.com|AllTheWeb=100|AltaVista=200|Google=3|HotBot=4|MSN=5|\r\n";

inline const QList<QByteArray> aComQueries = linkQueries("a.com");

inline QByteArray target(const QByteArray& request)
{
    return request.split(' ').value(1);
}

// What one run of the command line did: its exit status and what it wrote to standard output and standard error.
struct Outcome {
    int status = -1; // -1: a process that did not end by itself
    QByteArray out;
    QByteArray err;

    bool operator==(const Outcome&) const = default;
};

inline void PrintTo(const Outcome& outcome, std::ostream* stream)
{
    *stream << "status " << outcome.status << ", out \"" << outcome.out.toStdString() << "\", err \""
            << outcome.err.toStdString() << '"';
}

// A stream in memory that stands for standard output or standard error.
class CapturedStream {
public:
    CapturedStream()
        : m_file(::open_memstream(&m_buffer, &m_size))
    {
    }
    ~CapturedStream()
    {
        if (m_file)
            std::fclose(m_file);
        std::free(m_buffer);
    }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;

    std::FILE* file() const { return m_file; }
    QByteArray bytes()
    {
        std::fflush(m_file);
        return QByteArray(m_buffer, qsizetype(m_size));
    }

private:
    char* m_buffer = nullptr;
    std::size_t m_size = 0;
    std::FILE* m_file;
};

// The command line on a list file in a temporary directory, its requests sent to the loopback server that plays
// the engines. run() runs it in the test's own process; runProcess() starts brenlow-cli, for what takes a
// process of its own: a signal that ends it, or a lock that another running instance holds.
class CommandLineTest : public ::testing::Test {
protected:
    QString listPath() const { return m_dir.filePath(u"brenlow.txt"_s); }

    void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    void writeList(const QByteArray& listFile) { writeFile(listPath(), listFile); }

    QByteArray listFile() const
    {
        QFile file(listPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // The list (empty: the test's list) and the server, then the command and its arguments.
    QStringList options(const QString& list, const QStringList& arguments) const
    {
        return QStringList{u"--list"_s, list.isEmpty() ? listPath() : list, u"--connect-to"_s,
                           u"127.0.0.1:"_s + QString::number(m_server.port())} +
               arguments;
    }

    // input is what standard input holds.
    Outcome run(const QStringList& arguments, const QString& list = {}, QByteArray input = {})
    {
        CapturedStream out;
        CapturedStream err;
        std::FILE* in = ::fmemopen(input.data(), std::size_t(input.size()), "r");
        if (!out.file() || !err.file()) {
            ADD_FAILURE() << "no stream in memory could be opened";
            return {};
        }
        const int status = runCommandLine(QStringList{u"brenlow-cli"_s} + options(list, arguments),
                                          Console(out.file(), err.file(), in ? in : stdin));
        if (in)
            std::fclose(in);
        return {status, out.bytes(), err.bytes()};
    }

    // environment: variables set for the process on top of the test's own ("LC_ALL=de_DE.UTF-8").
    Outcome runProcess(const QStringList& arguments, const QString& list = {},
                       const std::function<void(QProcess&)>& whileRunning = {}, const QStringList& environment = {})
    {
        QProcess process;
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (const QString& variable : environment)
            variables.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        process.setProcessEnvironment(variables);
        process.start(QStringLiteral(BRENLOW_CLI), options(list, arguments));
        EXPECT_TRUE(process.waitForStarted());
        if (whileRunning)
            whileRunning(process);
        EXPECT_TRUE(process.waitForFinished(60000));
        const bool ended = process.exitStatus() == QProcess::NormalExit;
        return {ended ? process.exitCode() : -1, process.readAllStandardOutput(), process.readAllStandardError()};
    }

    QList<QByteArray> targets(qsizetype from = 0) const
    {
        QList<QByteArray> paths;
        for (const QByteArray& request : m_server.requests().sliced(from))
            paths.append(target(request));
        return paths;
    }

    QTemporaryDir m_dir;
    HttpTestServer m_server;
};
