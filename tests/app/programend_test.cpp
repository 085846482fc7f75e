#include "app/mainwindow.h"
#include "app/program.h"
#include "app/qtdialogs.h"
#include "support/fakedialogs.h"
#include "support/lists.h"
#include "support/modaldialog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The program itself, copied into a folder of its own so that the test decides what stands beside it, running
// on the offscreen platform with the user's data folder inside the test's directory.
class InstalledProgram {
public:
    InstalledProgram()
    {
        QDir(m_dir.path()).mkpath(u"bin"_s);
        m_copied = QFile::copy(QStringLiteral(BRENLOW_PROGRAM), programPath());
    }

    bool isReady() const { return m_dir.isValid() && m_copied; }
    QString programPath() const { return m_dir.filePath(u"bin/brenlow"_s); }
    QString besideProgram() const { return m_dir.filePath(u"bin/brenlow.txt"_s); }
    QString inDataFolder() const { return m_dir.filePath(u"data/brenlow/brenlow.txt"_s); }
    // Options for the program run in the test's own process over the same list, its dialogs answered by dialogs.
    ProgramOptions inProcess(FakeDialogs& dialogs) const
    {
        ProgramOptions options;
        options.listFilePath = inDataFolder();
        options.dialogs = &dialogs;
        options.settingsFile = inDataFolder() + u".settings"_s;
        return options;
    }
    QStringList programFolder() const { return QDir(m_dir.filePath(u"bin"_s)).entryList(QDir::Files | QDir::Hidden); }

    QString settingsFile() const { return m_dir.filePath(u"config/brenlow/brenlow.ini"_s); }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Starts the program and waits until it holds its list, which it does once its signal handlers are in place.
    std::unique_ptr<QProcess> start(const QString& listFile, const QString& platform = u"offscreen"_s)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, platform);
        environment.insert(u"XDG_DATA_HOME"_s, m_dir.filePath(u"data"_s));
        environment.insert(u"XDG_CONFIG_HOME"_s, m_dir.filePath(u"config"_s));
        process->setProcessEnvironment(environment);
        process->start(programPath(), {});
        const bool locked = QTest::qWaitFor([&] { return QFile::exists(listFile + u".lock"_s); }, 30000);
        EXPECT_TRUE(locked) << process->readAllStandardError().toStdString();
        return process;
    }

private:
    QTemporaryDir m_dir;
    bool m_copied = false;
};

void write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

TEST(ProgramEnd, ATerminationSignalSavesTheListWhereverItLives)
{
    enum class List { None, InDataFolder, BesideProgram };
    const struct {
        const char* what;
        int signal;
        List list;
    } cases[] = {
        {"SIGTERM, first start: the default list in the data folder", SIGTERM, List::None},
        {"SIGINT, the list in the data folder", SIGINT, List::InDataFolder},
        {"SIGHUP, a portable list beside the program", SIGHUP, List::BesideProgram},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InstalledProgram installed;
        ASSERT_TRUE(installed.isReady());
        // A list written by hand: lines ended by LF, a domain without counts.
        const QString list = c.list == List::BesideProgram ? installed.besideProgram() : installed.inDataFolder();
        if (c.list != List::None)
            write(list, "example.com\n");

        const std::unique_ptr<QProcess> program = installed.start(list);
        ::kill(pid_t(program->processId()), c.signal);
        ASSERT_TRUE(program->waitForFinished(30000));
        EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);

        const QByteArray domain = c.list == List::None ? "www.brenlow.com" : "example.com";
        QFile saved(list);
        EXPECT_TRUE(saved.open(QIODevice::ReadOnly));
        EXPECT_EQ(saved.readAll(), domain + zeroCounts + "\r\n");
        const bool portable = c.list == List::BesideProgram;
        // No run was made: no history was made either.
        const QStringList besideProgram =
            portable ? QStringList{u"brenlow"_s, u"brenlow.txt"_s} : QStringList{u"brenlow"_s};
        EXPECT_EQ(installed.programFolder(), besideProgram);
        EXPECT_EQ(QFile::exists(installed.inDataFolder()), !portable);
    }
}

TEST(ProgramEnd, ASecondInstanceOverTheSameListEndsUntilTheFirstIsGone)
{
    InstalledProgram installed;
    ASSERT_TRUE(installed.isReady());
    write(installed.inDataFolder(), "first.com" + zeroCounts + "\r\n");
    const std::unique_ptr<QProcess> first = installed.start(installed.inDataFolder());
    // However long the first has held it, its lock stays its own.
    QFile lock(installed.inDataFolder() + u".lock"_s);
    ASSERT_TRUE(lock.open(QIODevice::ReadOnly));
    ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
    lock.close();

    // The first answers and comes forward: the second ends quietly, with nothing to dismiss.
    FakeDialogs dialogs;
    const ProgramOptions options = installed.inProcess(dialogs);
    {
        Program second(options);
        EXPECT_FALSE(second.start());
        EXPECT_EQ(second.exitStatus(), 0);
        EXPECT_TRUE(dialogs.shown.isEmpty());
        EXPECT_FALSE(second.frmMain().isVisible());
    }
    // A first that does not answer (stopped here) is named to the user instead.
    ::kill(pid_t(first->processId()), SIGSTOP);
    {
        Program second(options);
        EXPECT_FALSE(second.start());
        EXPECT_EQ(second.exitStatus(), 1);
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_TRUE(dialogs.shown.first().startsWith(u"message||The domain list "_s + installed.inDataFolder() +
                                                     u" is already open in another Brenlow (process "_s +
                                                     QString::number(first->processId())));
        EXPECT_FALSE(second.frmMain().isVisible());
    }
    ::kill(pid_t(first->processId()), SIGCONT);

    // A crash leaves the lock behind; the next start takes it over.
    ::kill(pid_t(first->processId()), SIGKILL);
    ASSERT_TRUE(first->waitForFinished(30000));
    ASSERT_TRUE(QFile::exists(installed.inDataFolder() + u".lock"_s));
    dialogs.shown.clear();
    Program third(options);
    EXPECT_TRUE(third.start());
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(third.session().domains().count(), 1);
}

} // namespace

TEST(ProgramEnd, ASecondStartBringsTheFirstWindowForward)
{
    InstalledProgram installed;
    ASSERT_TRUE(installed.isReady());
    write(installed.inDataFolder(), "first.com" + zeroCounts + "\r\n");
    FakeDialogs dialogs;
    const ProgramOptions options = installed.inProcess(dialogs);
    Program first(options);
    ASSERT_TRUE(first.start());
    first.frmMain().showMinimized();
    ASSERT_TRUE(first.frmMain().isMinimized());

    // The second start over the same list calls the first, which comes forward, and ends with status 0, nothing
    // to dismiss (the first answers only while this test's events run, so the test waits on its events).
    const std::unique_ptr<QProcess> second = installed.start(installed.inDataFolder());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !first.frmMain().isMinimized(); }, 30000));
    EXPECT_TRUE(first.frmMain().isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return second->state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
}

TEST(ProgramEnd, TheWindowOpensWhereItWasLeftAtEveryStartAndOnASmallerScreen)
{
    InstalledProgram installed;
    ASSERT_TRUE(installed.isReady());
    write(installed.inDataFolder(), "a.com" + zeroCounts + "\r\n");
    // Offscreen screens whose windows get frames, as a window manager gives them.
    const auto screen = [&](int width, int height) {
        const QString file = installed.path(u"screen-%1.json"_s.arg(width));
        write(file, QStringLiteral(R"({"windowFrameMargins": true, "screens": [{"name": "s", "x": 0, "y": 0, )"
                                   R"("width": %1, "height": %2, "logicalDpi": 96}]})")
                        .arg(width)
                        .arg(height)
                        .toUtf8());
        return u"offscreen:configfile="_s + file;
    };
    write(installed.settingsFile(), "[MainWindow]\nposition=@Point(300 200)\nsize=@Size(900 600)\nmaximized=false\n");
    const auto run = [&](const QString& platform) {
        const std::unique_ptr<QProcess> program = installed.start(installed.inDataFolder(), platform);
        ::kill(pid_t(program->processId()), SIGTERM);
        ASSERT_TRUE(program->waitForFinished(30000));
    };
    const auto kept = [&] {
        QSettings settings(installed.settingsFile(), QSettings::IniFormat);
        return QRect(settings.value(u"MainWindow/position"_s).toPoint(), settings.value(u"MainWindow/size"_s).toSize());
    };

    // Start after start, the frame stands where it stood and the window keeps its size.
    for (int start = 1; start <= 3; ++start) {
        run(screen(1920, 1080));
        EXPECT_EQ(kept(), QRect(300, 200, 900, 600)) << "start " << start;
    }
    // On a smaller screen it is moved and sized onto it, frame and all.
    write(installed.settingsFile(), "[MainWindow]\nposition=@Point(900 500)\nsize=@Size(1100 700)\nmaximized=false\n");
    run(screen(1024, 768));
    const QRect onSmaller = kept();
    EXPECT_GE(onSmaller.left(), 0);
    EXPECT_GE(onSmaller.top(), 0);
    EXPECT_LE(onSmaller.right(), 1023 - 4); // its inside, within a frame on either side
    EXPECT_LE(onSmaller.bottom(), 767);
    EXPECT_LT(onSmaller.width(), 1024);
}

TEST(ProgramEnd, AMessageBeforeTheWindowIsShownIsCentredOnTheScreen)
{
    QWidget owner;
    owner.setGeometry(0, 0, 100, 100);
    QtDialogs dialogs(u"Brenlow"_s);
    dialogs.setOwner(&owner);
    bool seen = false;
    onModalDialog<QMessageBox>(
        [](QMessageBox& box) {
            const QRect screen = box.screen()->availableGeometry();
            EXPECT_LE(std::abs(box.frameGeometry().center().x() - screen.center().x()), 1);
            EXPECT_LE(std::abs(box.frameGeometry().center().y() - screen.center().y()), 1);
        },
        seen);
    dialogs.message(u"The domain list is already open in another Brenlow."_s, QString());
    EXPECT_TRUE(seen);
}
