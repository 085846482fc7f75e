#include "cli/clifixture.h"
#include "history/historystore.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// What stands at a path, as the tests make it: a FIFO, a link to nothing, a directory and, for root, a device of
// the test's own (the one /dev/null is), so that no test ever risks a device of the system.
enum class Special { Fifo, DanglingLink, Directory, Device };

bool make(Special kind, const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    switch (kind) {
    case Special::Fifo:
        return ::mkfifo(name.constData(), 0644) == 0;
    case Special::DanglingLink:
        return ::symlink("nowhere.txt", name.constData()) == 0;
    case Special::Directory:
        return QDir().mkdir(path);
    case Special::Device:
        return ::geteuid() == 0 && ::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    }
    return false;
}

// The kind of what is at path, without following a link: what a test checks is left as it was.
mode_t kindAt(const QString& path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & S_IFMT : 0;
}

// A writer of a FIFO that a child process reads: it waits, within bounds, for the reader to open it.
int openForWriting(const QString& fifo)
{
    QDeadlineTimer deadline(30000);
    int fd = -1;
    while ((fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0 &&
           errno == ENXIO && !deadline.hasExpired())
        QTest::qWait(10);
    return fd;
}

// Writes bytes into a FIFO until at least atLeast of them are in: the reader takes them as it goes.
bool feed(int fd, const QByteArray& bytes, qsizetype atLeast)
{
    qsizetype written = 0;
    QDeadlineTimer deadline(30000);
    while (written < atLeast && !deadline.hasExpired()) {
        pollfd ready{fd, POLLOUT, 0};
        if (::poll(&ready, 1, 100) <= 0)
            continue;
        const ssize_t count = ::write(fd, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (count < 0 && errno != EAGAIN)
            return false;
        written += std::max<ssize_t>(count, 0);
    }
    return written >= atLeast;
}

class FilesTest : public CommandLineTest {
protected:
    QStringList folder() const
    {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString historyPath() const { return HistoryStore::pathFor(listPath()); }

    // Two runs of update over a.com and b.com, so that the list has a history.
    void recordTwoRuns()
    {
        m_server.serveDomain("a.com", {1, 2, 3, 4, 5});
        m_server.serveDomain("b.com", {6, 7, 8, 9, 10});
        ASSERT_EQ(run({u"update"_s}).status, 0);
        ASSERT_EQ(run({u"update"_s, u"a.com"_s}).status, 0);
    }
};

TEST_F(FilesTest, OnlyARegularFileIsReadAsAListOrReplacedByOne)
{
    const struct {
        Special kind;
        const char* clause; // what the message says of the path
    } kinds[] = {
        {Special::Fifo, "is a FIFO"},
        {Special::DanglingLink, "is a symbolic link to <folder>/nowhere.txt, which does not exist"},
        {Special::Directory, "is a directory"},
        {Special::Device, "is a device"},
    };
    const QList<QStringList> commands = {
        {u"show"_s},
        {u"history"_s},
        {u"history"_s, u"--export=-"_s},
        {u"add"_s, u"c.com"_s},
        {u"update"_s},
        {u"remove"_s, u"a.com"_s},
        {u"import"_s, u"-"_s},
        {u"history"_s, u"--import=-"_s},
    };
    for (const auto& k : kinds) {
        const QString list = path(u"special"_s);
        if (!make(k.kind, list)) {
            EXPECT_EQ(k.kind, Special::Device) << "only a device takes root to make";
            continue;
        }
        const mode_t before = kindAt(list);
        const QStringList beforeFolder = folder();
        const QByteArray message = "brenlow-cli: the domain list " + list.toUtf8() + ' ' +
                                   QByteArray(k.clause).replace("<folder>", m_dir.path().toUtf8()) +
                                   ", not a list file; it is left as it is: give --list the path of a list file\n";
        for (const QStringList& command : commands) {
            SCOPED_TRACE((command.join(u' ') + u' ' + QString::fromUtf8(k.clause)).toStdString());
            EXPECT_EQ(run(command, list, "d.com\n"), (Outcome{3, "", message}));
            EXPECT_EQ(kindAt(list), before);
            EXPECT_EQ(folder(), beforeFolder);
        }
        EXPECT_EQ(run({u"where"_s}, list), (Outcome{3, list.toUtf8() + '\n', message}));
        if (k.kind == Special::Directory)
            QDir(list).removeRecursively();
        else
            QFile::remove(list);
    }
    // A list that is not there: readers say so, and where tells where it would be.
    const QByteArray missing =
        "brenlow-cli: the domain list " + listPath().toUtf8() + " does not exist; add or import makes it\n";
    EXPECT_EQ(run({u"where"_s}), (Outcome{3, listPath().toUtf8() + '\n', missing}));
    EXPECT_EQ(run({u"history"_s}), (Outcome{3, "", missing}));
    EXPECT_TRUE(folder().isEmpty());
}

TEST_F(FilesTest, ACommandThatEndsWithAnErrorLeavesNoFileItMade)
{
    const struct {
        QStringList arguments;
        int status;
    } cases[] = {
        {{u"add"_s, u"bad|domain.com"_s}, 2}, {{u"add"_s, u"--wait=x"_s, u"c.com"_s}, 2},
        {{u"import"_s, u"-"_s}, 1}, // every line rejected: no list is made
        {{u"history"_s, u"--import=-"_s}, 2}, {{u"remove"_s, u"nothere.com"_s}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const Outcome outcome = run(c.arguments, {}, "not a domain\nrun,x\n");
        EXPECT_EQ(outcome.status, c.status) << outcome.err.toStdString();
        if (c.status != 0) {
            EXPECT_TRUE(folder().isEmpty()) << folder().join(u' ').toStdString();
        }
        QFile::remove(listPath());
    }
}

TEST_F(FilesTest, AnExportWritesIntoAFifoOrADeviceAsItStandsAndReplacesOnlyAFile)
{
    writeList(twoDomains);
    ASSERT_NO_FATAL_FAILURE(recordTwoRuns());
    const QByteArray csv = run({u"history"_s, u"--export=-"_s}).out;
    ASSERT_TRUE(csv.startsWith("run,run_started,")) << csv.toStdString();

    const QString fifo = path(u"export-fifo"_s);
    ASSERT_TRUE(make(Special::Fifo, fifo));
    QByteArray read;
    std::thread reader([&] {
        QFile in(fifo);
        if (in.open(QIODevice::ReadOnly))
            read = in.readAll();
    });
    const Outcome toFifo = run({u"history"_s, u"--export"_s, fifo, u"--format=csv"_s});
    reader.join();
    EXPECT_EQ(toFifo, (Outcome{0, "", ""}));
    EXPECT_EQ(read, csv);
    EXPECT_EQ(kindAt(fifo), mode_t(S_IFIFO));

    // Root writes into a device of the test's own, so that no fault could ever replace one of the system's.
    const QString device = ::geteuid() == 0 ? path(u"null"_s) : u"/dev/null"_s;
    if (::geteuid() != 0 || make(Special::Device, device)) {
        EXPECT_EQ(run({u"history"_s, u"--export"_s, device, u"--format=json"_s}), (Outcome{0, "", ""}));
        EXPECT_EQ(kindAt(device), mode_t(S_IFCHR));
    }

    // A file through a link is replaced, the link kept; a directory or a link to nothing is refused.
    writeFile(path(u"target.csv"_s), "old");
    ASSERT_EQ(::symlink("target.csv", QFile::encodeName(path(u"link.csv"_s)).constData()), 0);
    EXPECT_EQ(run({u"history"_s, u"--export"_s, path(u"link.csv"_s)}), (Outcome{0, "", ""}));
    EXPECT_EQ(kindAt(path(u"link.csv"_s)), mode_t(S_IFLNK));
    QFile target(path(u"target.csv"_s));
    ASSERT_TRUE(target.open(QIODevice::ReadOnly));
    EXPECT_EQ(target.readAll(), csv);
    ASSERT_TRUE(make(Special::DanglingLink, path(u"dangling.csv"_s)));
    EXPECT_EQ(run({u"history"_s, u"--export"_s, path(u"dangling.csv"_s)}),
              (Outcome{4, "",
                       "brenlow-cli: the file " + path(u"dangling.csv"_s).toUtf8() +
                           " cannot be written: " + path(u"dangling.csv"_s).toUtf8() + " is a symbolic link to " +
                           path(u"nowhere.txt"_s).toUtf8() + ", which does not exist\n"}));
    EXPECT_FALSE(QFile::exists(path(u"nowhere.txt"_s)));
}

TEST_F(FilesTest, ThroughALinkTheListHasOneHistoryBesideItsRealPathAndAHistoryPathToAnythingButAFileIsNotUsed)
{
    writeList(twoDomains);
    const QString link = path(u"link.txt"_s);
    ASSERT_EQ(::symlink("brenlow.txt", QFile::encodeName(link).constData()), 0);
    m_server.serveDomain("a.com", {1, 2, 3, 4, 5});
    EXPECT_EQ(run({u"update"_s, u"a.com"_s}, link).status, 0);
    EXPECT_EQ(run({u"update"_s, u"a.com"_s}).status, 0);
    EXPECT_TRUE(QFile::exists(historyPath()));
    EXPECT_FALSE(QFile::exists(link + u".history.sqlite"_s));
    EXPECT_EQ(run({u"history"_s, u"--format=csv"_s, u"--no-header"_s}, link).out.count('\n'), 2);

    // The history's own path a link to a FIFO: told once, nothing written anywhere.
    ASSERT_TRUE(QFile::remove(historyPath()));
    ASSERT_TRUE(make(Special::Fifo, path(u"fifo"_s)));
    ASSERT_EQ(::symlink("fifo", QFile::encodeName(historyPath()).constData()), 0);
    const QStringList before = folder();
    const Outcome update = run({u"update"_s, u"a.com"_s});
    EXPECT_EQ(update.status, 0);
    EXPECT_EQ(update.err, "brenlow-cli: history is not being kept: the history file " + historyPath().toUtf8() +
                              " is a symbolic link to " + path(u"fifo"_s).toUtf8() +
                              ", which is a FIFO; it is not used\n");
    EXPECT_EQ(folder(), before);
    EXPECT_EQ(kindAt(path(u"fifo"_s)), mode_t(S_IFIFO));
}

TEST_F(FilesTest, ReadingTheHistoryMakesNoFileAndNeedsNoWriteAccess)
{
    writeList(twoDomains);
    ASSERT_NO_FATAL_FAILURE(recordTwoRuns());
    const QStringList before = folder();
    const QByteArray rows = run({u"history"_s, u"--format=csv"_s, u"--no-header"_s}).out;
    EXPECT_EQ(rows.count('\n'), 3);
    EXPECT_EQ(run({u"history"_s, u"--export=-"_s}).status, 0);
    EXPECT_EQ(folder(), before);

    // Another user reads, and the owner records the next run as before.
    if (::geteuid() == 0) {
        ASSERT_TRUE(QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                            QFile::ReadOther | QFile::ExeOther));
        // A copy of the program where the other user reaches it (the build may lie in a folder only root enters).
        QTemporaryDir programFolder;
        const QString program = programFolder.filePath(u"brenlow-cli"_s);
        ASSERT_TRUE(QFile::copy(QStringLiteral(BRENLOW_CLI), program));
        ASSERT_TRUE(QFile::setPermissions(programFolder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                                    QFile::ReadOther | QFile::ExeOther));
        QProcess other;
        other.setChildProcessModifier([] {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(99);
        });
        other.start(program, {u"--list"_s, listPath(), u"history"_s, u"--format=csv"_s, u"--no-header"_s});
        ASSERT_TRUE(other.waitForFinished(30000));
        EXPECT_EQ(other.exitCode(), 0) << other.readAllStandardError().toStdString();
        EXPECT_EQ(other.readAllStandardOutput(), rows);
        EXPECT_EQ(folder(), before);
        EXPECT_EQ(run({u"update"_s, u"b.com"_s}), (Outcome{0, "", ""}));
        EXPECT_EQ(run({u"history"_s, u"--format=csv"_s, u"--no-header"_s}).out.count('\n'), 4);
    }
}

TEST_F(FilesTest, AHistoryInAReadOnlyFolderOrMountIsRead)
{
    writeList(twoDomains);
    ASSERT_NO_FATAL_FAILURE(recordTwoRuns());
    const QByteArray rows = run({u"history"_s, u"--format=csv"_s, u"--no-header"_s}).out;
    const QString readOnly = path(u"ro"_s);
    ASSERT_TRUE(QDir().mkdir(readOnly));
    bool mounted = false;
    if (::geteuid() == 0) {
        // Root may write wherever a permission bit forbids: the folder is a file system mounted read-only.
        mounted = ::mount("tmpfs", QFile::encodeName(readOnly).constData(), "tmpfs", 0, "size=1m") == 0;
        if (!mounted)
            GTEST_SKIP() << "no file system can be mounted here";
    }
    for (const QString& name : {u"brenlow.txt"_s, u"brenlow.txt.history.sqlite"_s})
        ASSERT_TRUE(QFile::copy(path(name), QDir(readOnly).filePath(name)));
    const QString list = QDir(readOnly).filePath(u"brenlow.txt"_s);
    if (mounted)
        ASSERT_EQ(::mount(nullptr, QFile::encodeName(readOnly).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
                  0);
    else
        ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));
    EXPECT_EQ(run({u"history"_s, u"--format=csv"_s, u"--no-header"_s}, list), (Outcome{0, rows, ""}));
    if (mounted)
        ::umount2(QFile::encodeName(readOnly).constData(), MNT_DETACH);
    else
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A history that Brenlow 1.2 wrote (version 1: a write-ahead log, runs told apart by their start) or 1.3 wrote
// (version 2: the engines' columns side by side) is read as it stands, and taken to the present version, a row a
// fetch that names its source, by the first run that records.
TEST_F(FilesTest, AnOlderHistoryIsReadAsItIsAndMigratedByTheFirstWrite)
{
    for (const char* file : {"brenlow-1.2.0.history.sqlite", "brenlow-1.3.0.history.sqlite"}) {
        SCOPED_TRACE(file);
        writeList(aRecord);
        QFile::remove(historyPath());
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(BRENLOW_TEST_DATA_DIR "/history/") + QLatin1String(file), historyPath()));
        QFile::setPermissions(historyPath(), QFile::ReadOwner | QFile::WriteOwner);
        const QStringList before = folder();
        const QByteArray first = "2026-12-01T12:00:00.000Z,a.com,13,1,,3,4,5\r\n";
        const QByteArray second = "2026-12-04T12:00:00.000Z,a.com,11,11,,,,\r\n";
        EXPECT_EQ(run({u"history"_s, u"--format=csv"_s, u"--no-header"_s}), (Outcome{0, first + second, ""}));
        EXPECT_EQ(folder(), before);

        m_server.serveDomain("a.com", {7, 7, 7, 7, 7});
        EXPECT_EQ(run({u"update"_s}), (Outcome{0, "", ""}));
        EXPECT_EQ(run({u"history"_s, u"--format=csv"_s, u"--no-header"_s}).out.left(first.size() + second.size()),
                  first + second);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"check"_s);
            db.setDatabaseName(historyPath());
            ASSERT_TRUE(db.open());
            QSqlQuery query(db);
            ASSERT_TRUE(query.exec(u"PRAGMA user_version"_s) && query.next());
            EXPECT_EQ(query.value(0).toInt(), 4);
            ASSERT_TRUE(query.exec(u"PRAGMA journal_mode"_s) && query.next());
            EXPECT_EQ(query.value(0).toString(), u"delete"_s);
            ASSERT_TRUE(query.exec(u"SELECT identity FROM run ORDER BY started"_s));
            QStringList identities;
            while (query.next())
                identities.append(query.value(0).toString());
            EXPECT_EQ(identities.mid(0, 2), (QStringList{u"v1-1796126400000"_s, u"v1-1796385600000"_s}));
            EXPECT_EQ(identities.size(), 3);
            // Every fetch names its source: five in the first run, one in the second, five in the new one.
            ASSERT_TRUE(query.exec(u"SELECT s.name, count(*) FROM fetch f JOIN source s ON s.id = f.source "
                                   u"GROUP BY s.name ORDER BY s.name"_s));
            QStringList sources;
            while (query.next())
                sources.append(query.value(0).toString() + u' ' + query.value(1).toString());
            EXPECT_EQ(sources,
                      (QStringList{u"AllTheWeb 3"_s, u"AltaVista 2"_s, u"Google 2"_s, u"HotBot 2"_s, u"MSN 2"_s}));
        }
        QSqlDatabase::removeDatabase(u"check"_s);
        // The 1.2 export of the same runs adds nothing: its runs are the ones the history holds.
        EXPECT_EQ(run({u"history"_s, u"--import"_s + u'=' +
                                         QStringLiteral(BRENLOW_TEST_DATA_DIR "/history/brenlow-1.2.0-export.csv")}),
                  (Outcome{0, "0 fetches added\n", ""}));
    }
}

// From here on brenlow-cli runs as a process of its own.

TEST_F(FilesTest, AClosedStandardInputIsFoundBeforeAnythingIsOpened)
{
    writeList(twoDomains);
    for (const QStringList& command : {QStringList{u"import"_s, u"-"_s}, QStringList{u"history"_s, u"--import=-"_s}}) {
        SCOPED_TRACE(command.join(u' ').toStdString());
        QProcess process;
        process.setChildProcessModifier([] { ::close(STDIN_FILENO); });
        process.start(QStringLiteral(BRENLOW_CLI), options({}, command));
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 2);
        EXPECT_EQ(process.readAllStandardError(),
                  "brenlow-cli: standard input cannot be read: it is closed; nothing was imported\n");
        EXPECT_EQ(listFile(), twoDomains);
        EXPECT_EQ(folder(), QStringList{u"brenlow.txt"_s});
    }
}

TEST_F(FilesTest, EveryTerminationSignalEndsALongCommandAndAnInterruptedImportAddsNothing)
{
    writeList(twoDomains);
    const QString fifo = path(u"input"_s);
    ASSERT_TRUE(make(Special::Fifo, fifo));
    const QByteArray header = "run,run_started,run_ended,front_end,cancelled,domain,engine,at,count,failure,detail\n";
    const QByteArray line = "r1,2026-12-07T09:00:00.000Z,,window,false,a.com,Google,2026-12-07T09:01:00.000Z,5,,\n";
    // A large file, of which a megabyte has gone in when the signal comes; the FIFO stays open: more would come.
    QByteArray large = header;
    QByteArray domains;
    for (int i = 0; i < 20000; ++i) {
        large += QByteArray(line).replace("r1,", "r" + QByteArray::number(i) + ",");
        domains += "d" + QByteArray::number(i) + ".org\n";
    }
    for (const QStringList& command :
         {QStringList{u"history"_s, u"--import"_s, fifo, u"--format=csv"_s}, QStringList{u"import"_s, fifo}}) {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            SCOPED_TRACE((command.first() + u' ' + QString::number(signal)).toStdString());
            int writer = -1;
            const Outcome outcome = runProcess(command, {}, [&](QProcess& process) {
                writer = openForWriting(fifo);
                ASSERT_GE(writer, 0);
                const QByteArray& input = command.first() == u"import"_s ? domains : large;
                ASSERT_TRUE(feed(writer, input, std::min<qsizetype>(input.size() - 1, 1024 * 1024)));
                ::kill(pid_t(process.processId()), signal);
            });
            ::close(writer);
            EXPECT_EQ(outcome, (Outcome{128 + signal, "", ""}));
            EXPECT_EQ(listFile(), twoDomains);
            EXPECT_FALSE(QFile::exists(historyPath()));
            EXPECT_FALSE(QFile::exists(listPath() + u".lock"_s));
        }
    }

    // An export into a FIFO whose reader has stopped reading.
    QByteArray many = header;
    for (int i = 0; i < 2000; ++i)
        many += QByteArray(line).replace("r1,", "r" + QByteArray::number(i) + ",");
    const Outcome imported = run({u"history"_s, u"--import=-"_s}, {}, many);
    ASSERT_EQ(imported.status, 0) << imported.err.toStdString();
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(reader, 0);
        const Outcome outcome =
            runProcess({u"history"_s, u"--export"_s, fifo, u"--format=csv"_s}, {}, [&](QProcess& process) {
                char first[16];
                ASSERT_TRUE(QTest::qWaitFor([&] { return ::read(reader, first, sizeof first) > 0; }, 30000));
                ::kill(pid_t(process.processId()), signal);
            });
        ::close(reader);
        EXPECT_EQ(outcome, (Outcome{128 + signal, "", ""}));
        EXPECT_EQ(kindAt(fifo), mode_t(S_IFIFO));
    }
}

} // namespace
