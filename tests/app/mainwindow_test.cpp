#include "windowfixture.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>

#include <sys/resource.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

const QByteArray threeDomains = "a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n"
                                "b.com|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n"
                                "c.com|AllTheWeb=9|AltaVista=9|Google=9|HotBot=9|MSN=9|\r\n";

TEST_F(WindowTest, StartsWithCaptionsMenusAndTheListShown)
{
    start("a.com|AllTheWeb=1,234|AltaVista=0|Google=56|HotBot=0|MSN=7|\r\n");
    EXPECT_EQ(window().windowTitle(), u"Brenlow - Link Popularity Tool"_s);
    EXPECT_EQ(window().AppTitle(), u"Brenlow"_s);
    EXPECT_EQ(action("mnuHelpAbout").text(), u"&About Brenlow"_s);
    const QString engines[] = {u"AllTheWeb"_s, u"AltaVista"_s, u"Google"_s, u"HotBot"_s, u"MSN"_s};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(action("mnuGridMenuView" + std::to_string(k)).text(), u"View Results From : "_s + engines[k]);
    EXPECT_FALSE(window().menuBar()->actions().contains(control<QMenu>("mnuGridMenu").menuAction()));

    EXPECT_EQ(grid().Row(), 1);
    EXPECT_EQ(grid().Col(), 0);
    EXPECT_EQ(rowTexts(1), (QStringList{u"a.com"_s, u"1,297"_s, u"1,234"_s, u"0"_s, u"56"_s, u"0"_s, u"7"_s}));
    EXPECT_TRUE(label("sklCompleted").text().isEmpty());
    EXPECT_TRUE(isIdle());
}

TEST_F(WindowTest, EveryControlAndMenuItemHasItsCaptionMnemonicAndKey)
{
    // Captions with the mnemonic marked ("&"); the key that does the same, named in the tooltip or the menu.
    start("a.com|\r\n");
    const std::tuple<const char*, QString, QString> buttons[] = {
        {"cmdUpdate0", u"&Update All"_s, u"F5"_s},
        {"cmdUpdate1", u"Update &Selected"_s, u"Shift+F5"_s},
        {"cmdCancelUpdate", u"&Cancel"_s, u"Esc"_s},
        {"cmdAddDomain", u"&Add Domain"_s, u"Ins"_s},
        {"cmdRemoveDomain", u"&Remove Domain"_s, u"Del"_s},
        {"cmdExit", u"E&xit"_s, QString()},
        {"cmdFindPageRanking", u"&Where I Do Rank In Free Search Engines?"_s, QString()},
        {"cmdDownload", u"&Download Rank Finder"_s, QString()},
        {"cmdPopularityMean", u"What Does &Popularity Mean To Me?"_s, QString()},
    };
    for (const auto& [name, caption, key] : buttons) {
        EXPECT_EQ(button(name).text(), caption) << name;
        if (!key.isEmpty()) {
            EXPECT_TRUE(button(name).toolTip().endsWith(u" ("_s + key + u")"_s)) << name;
        }
    }
    const std::tuple<const char*, QString, QString> items[] = {
        {"mnuFileImportUrls", u"&Import Urls"_s, u"Ctrl+I"_s},
        {"mnuFileFind", u"&Find Domain"_s, u"Ctrl+F"_s},
        {"mnuFileGetUpdate", u"&Update Now!"_s, QString()},
        {"mnuFileSaveListAs", u"Save List &As\u2026"_s, u"Ctrl+Shift+S"_s},
        {"mnuFileExportHistory", u"Export &History\u2026"_s, QString()},
        {"mnuFileExit", u"&Exit"_s, u"Ctrl+Q"_s},
        {"mnuWebPagesHome", u"Tarvin &Home"_s, QString()},
        {"mnuGridMenuViewDomain", u"View Domain"_s, QString()},
        {"mnuGridMenuUpdate", u"Update This Domain Only\tShift+F5"_s, QString()},
        {"mnuGridMenuRemove", u"Remove This Domain\tDel"_s, QString()},
        {"mnuGridMenuHistory", u"History\u2026\tCtrl+H"_s, QString()},
    };
    for (const auto& [name, caption, key] : items) {
        EXPECT_EQ(action(name).text(), caption) << name;
        EXPECT_EQ(action(name).shortcut().toString(), key) << name;
    }
    QStringList menus;
    for (const QAction* menu : window().menuBar()->actions())
        menus.append(menu->text());
    EXPECT_EQ(menus, (QStringList{u"&File"_s, u"&Help"_s}));
    EXPECT_EQ(action("mnuWebPagesHome").parent()->property("title").toString(), u"&Web Pages"_s);
}

TEST_F(WindowTest, TheSecondClickOfADoubleClickOnUpdateAllLeavesTheRunGoing)
{
    m_server.answer(linkQueries("a.com")[0], ServerReply::silence());
    start("a.com|\r\n");
    QPushButton& cancel = button("cmdCancelUpdate");
    bool cancelledByTheClick = true;
    whenever([&] { return m_server.requestCount(linkQueries("a.com")[0]) == 1; },
             [&] {
                 // The double-click's second press, release and double-click event land where Cancel now stands.
                 const QPoint centre = cancel.rect().center();
                 QTest::mousePress(&cancel, Qt::LeftButton, {}, centre);
                 QTest::mouseRelease(&cancel, Qt::LeftButton, {}, centre);
                 QTest::mouseDClick(&cancel, Qt::LeftButton, {}, centre);
                 cancelledByTheClick = m_program->session().fetcher().cancelRequested();
                 // A deliberate click, once the double-click's time is past, cancels.
                 const auto shown = std::make_shared<QElapsedTimer>();
                 shown->start();
                 whenever([shown] { return shown->elapsed() > QApplication::doubleClickInterval(); },
                          [&cancel, centre] { QTest::mouseClick(&cancel, Qt::LeftButton, {}, centre); });
             });
    button("cmdUpdate0").click();
    EXPECT_FALSE(cancelledByTheClick);
    EXPECT_TRUE(isIdle());
}

TEST_F(WindowTest, UpdateAllWritesEveryCountAndTotal)
{
    m_server.serveDomain("a.com", {12345, 0, 7, 1000000, 3});
    m_server.serveDomain("c.com", {2147483647, 2147483647, 2147483647, 2147483647, 2147483647});
    // A row without a domain advances the progress by five steps, fetches nothing and keeps its cells.
    start("a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n\r\nc.com|\r\n");
    const QStringList blankRow = rowTexts(2);
    button("cmdUpdate0").click();

    EXPECT_EQ(rowTexts(1),
              (QStringList{u"a.com"_s, u"1,012,355"_s, u"12,345"_s, u"0"_s, u"7"_s, u"1,000,000"_s, u"3"_s}));
    EXPECT_EQ(rowTexts(2), blankRow);
    EXPECT_EQ(cell(3, 1), u"10,737,418,235"_s);
    EXPECT_EQ(m_server.requestCount(), 10);
    ASSERT_EQ(m_progress.size(), 15);
    EXPECT_EQ(m_progress.first(), u"1 of 15  : 07%"_s);
    EXPECT_EQ(m_progress.at(7), u"8 of 15  : 53%"_s);
    EXPECT_EQ(m_progress.last(), u"15 of 15  : 100%"_s);
    EXPECT_TRUE(isIdle());
    EXPECT_FALSE(label("sklCompleted").isVisible());
    EXPECT_EQ(m_program->session().fetcher().BusyCount(), 0);
}

TEST_F(WindowTest, UpdateAllOfAnEmptyListShowsNoStep)
{
    start("");
    button("cmdUpdate0").click();
    EXPECT_TRUE(m_progress.isEmpty());
    EXPECT_EQ(label("sklCompleted").text(), u"                  "_s); // 18 spaces
    EXPECT_TRUE(isIdle());
}

TEST_F(WindowTest, UpdateSelectedRunsTheCurrentRowOnly)
{
    m_server.serveDomain("b.com", {10, 20, 30, 40, 50});
    start(threeDomains);
    grid().makeCurrent(2, 3);
    button("cmdUpdate1").click();
    EXPECT_EQ(m_progress, (QStringList{u"1 of 5  : 20%"_s, u"2 of 5  : 40%"_s, u"3 of 5  : 60%"_s, u"4 of 5  : 80%"_s,
                                       u"5 of 5  : 100%"_s}));
    EXPECT_EQ(cell(2, 1), u"150"_s);
    EXPECT_EQ(cell(1, 1), u"15"_s);
    EXPECT_EQ(m_server.requestCount(), 5);

    // A blank row below the list: five steps, no request.
    m_progress.clear();
    grid().makeCurrent(10, 0);
    button("cmdUpdate1").click();
    EXPECT_EQ(m_progress.size(), 5);
    EXPECT_EQ(m_server.requestCount(), 5);
    EXPECT_TRUE(cell(10, 1).isEmpty());
}

TEST_F(WindowTest, AfterARunTheFocusIsBackOnTheButtonThatStartedIt)
{
    m_server.serveDomain("a.com", {1, 2, 3, 4, 5});
    start("a.com|\r\n");
    for (const int index : {0, 1}) {
        QPushButton& update = button("cmdUpdate" + std::to_string(index));
        grid().makeCurrent(1, 0);
        press(update, update.rect().center(), Qt::LeftButton);
        EXPECT_EQ(cell(1, 1), u"15"_s);
        EXPECT_EQ(window().focusWidget(), &update) << index;
    }
}

TEST_F(WindowTest, CancelDuringTheThirdEngineKeepsItsEarlierCount)
{
    m_server.serveDomain("a.com", {100, 200, 0, 400, 500});
    const QByteArray third = linkQueries("a.com")[2];
    m_server.answer(third, ServerReply::silence());
    start(threeDomains);
    bool running = false;
    whenever([&] { return m_server.requestCount(third) == 1; },
             [&] {
                 // Nothing that changes rows or starts a run is available; viewing is.
                 running = !action("mnuGridMenuUpdate").isEnabled() && !action("mnuGridMenuRemove").isEnabled() &&
                           !action("mnuFileImportUrls").isEnabled() && !action("mnuFileSaveListAs").isEnabled() &&
                           !button("cmdAddDomain").isEnabled() && !button("cmdExit").isEnabled() &&
                           action("mnuGridMenuView" + std::to_string(2)).isEnabled() &&
                           button("cmdCancelUpdate").isVisible() && !button("cmdUpdate0").isVisible();
                 button("cmdCancelUpdate").click();
             });
    button("cmdUpdate0").click();
    EXPECT_TRUE(running);

    // The Total adds up the row as it shows: two new counts and three kept ones.
    EXPECT_EQ(rowTexts(1), (QStringList{u"a.com"_s, u"312"_s, u"100"_s, u"200"_s, u"3"_s, u"4"_s, u"5"_s}));
    EXPECT_EQ(m_server.requestCount(), 3);
    EXPECT_EQ(m_progress.size(), 3);
    EXPECT_EQ(cell(2, 1), u"0"_s);
    EXPECT_TRUE(isIdle());
    EXPECT_EQ(m_program->session().fetcher().BusyCount(), 0);
}

TEST_F(WindowTest, ExitFileExitAndClosingWriteTheCountsOfTheRun)
{
    const std::function<void(MainWindow&)> exits[] = {
        [this](MainWindow&) { button("cmdExit").click(); },
        [this](MainWindow&) { action("mnuFileExit").trigger(); },
        [](MainWindow& w) { w.close(); },
    };
    for (const auto& exit : exits) {
        m_program.reset();
        m_server.serveDomain("a.com", {1200, 35, 0, 0, 7});
        start("a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n");
        button("cmdUpdate0").click();
        exit(window());
        EXPECT_EQ(listFile(), "a.com|AllTheWeb=1,200|AltaVista=35|Google=0|HotBot=0|MSN=7|\r\n");
        EXPECT_FALSE(window().isVisible());
    }
}

TEST_F(WindowTest, ClosingDuringARunCancelsItThenExits)
{
    m_server.serveDomain("a.com", {100, 200, 300, 400, 500});
    m_server.answer(linkQueries("a.com")[1], ServerReply::silence());
    start("a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n");
    whenever([&] { return m_server.requestCount() == 2; }, [&] { window().close(); });
    button("cmdUpdate0").click();
    EXPECT_EQ(m_server.requestCount(), 2);
    EXPECT_EQ(listFile(), "a.com|AllTheWeb=100|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n");
    EXPECT_FALSE(window().isVisible());
}

TEST_F(WindowTest, ListFilesKeepTheirBytesAndRequestsCarryThem)
{
    // A list from another system: lines ended by LF alone, a Latin-1 name, a record spaced by hand.
    m_server.answer("/search?as_lq=caf%E9.example.com",
                    ServerReply::page(httpPage("Results <b>1</b> of about <b>42</b>.")));
    start("caf\xe9.example.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\n"
          " b.com |AllTheWeb= 7 |AltaVista=0|Google=0|HotBot=0|MSN=0|\n");
    EXPECT_EQ(cell(2, 0), u"b.com"_s);
    grid().makeCurrent(1, 0);
    button("cmdUpdate1").click();
    EXPECT_EQ(cell(1, 4), u"42"_s);
    button("cmdExit").click();
    // The engines the server does not answer (404) keep their counts.
    EXPECT_EQ(listFile(), "caf\xe9.example.com|AllTheWeb=1|AltaVista=2|Google=42|HotBot=4|MSN=5|\r\n"
                          " b.com |AllTheWeb= 7 |AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n");
}

TEST_F(WindowTest, ExitKeepsTheWindowOpenWhenTheListCannotBeSaved)
{
    const QByteArray list = "a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n";
    for (const bool sizeLimit : {false, true}) {
        SCOPED_TRACE(sizeLimit ? "beyond the file-size limit" : "no folder to write in");
        m_program.reset();
        m_dialogs.shown.clear();
        start(list);
        m_program->session().grid().setCount(1, 0, 1000000);
        QFile blocker(m_dir.path());
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        if (sizeLimit) {
            // The limit stops the write short, for root too; the program ignores the signal that comes with it.
            rlimit limit = saved;
            limit.rlim_cur = 32;
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        } else {
            // A file stands where the list's folder was.
            ASSERT_TRUE(QDir(m_dir.path()).removeRecursively());
            ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        }
        button("cmdExit").click();
        setrlimit(RLIMIT_FSIZE, &saved);
        ASSERT_EQ(m_dialogs.shown.size(), 1);
        EXPECT_TRUE(
            m_dialogs.shown.first().startsWith(u"choose||The domain list could not be saved to "_s + listPath()));
        EXPECT_TRUE(m_dialogs.shown.first().endsWith(
            u"\n\nThe file still holds the list as it was last saved. Save the list to another file, or exit without "
            u"saving the changes?|Save List As\u2026/Exit without saving/Cancel"_s))
            << m_dialogs.shown.first().toStdString();
        EXPECT_TRUE(window().isVisible());
        EXPECT_EQ(listFile(), sizeLimit ? list : "<missing>"_ba);
        if (sizeLimit) { // and no half-written file is left behind (the history's files aside)
            QStringList files = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
            files.removeIf([](const QString& name) { return name.startsWith(u"brenlow.txt.history."_s); });
            EXPECT_EQ(files, (QStringList{u"brenlow.txt"_s, u"brenlow.txt.lock"_s}));
        }

        m_dialogs.picks = {1};
        button("cmdExit").click();
        EXPECT_FALSE(window().isVisible());
        blocker.remove();
        QDir().mkpath(m_dir.path());
    }
}

TEST_F(WindowTest, AnUnreadableListOrFolderIsReportedAndNotSavedOver)
{
    start("");
    m_program.reset();
    // Reading the process's own memory from address 0 fails, and a file cannot be searched as a folder, for
    // root as well.
    const QString notAFolder = listPath() + u"/brenlow.txt"_s;
    const QString fifo = m_dir.filePath(u"fifo"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        QString list;
        QString message;
    } cases[] = {
        {u"/proc/self/mem"_s, u"message||The domain list /proc/self/mem cannot be read: "_s},
        {notAFolder, u"message||The folder that holds the domain list "_s + notAFolder + u" cannot be read: "_s},
        {fifo, u"message||The domain list "_s + fifo + u" is a FIFO, not a list file; it is left as it is"_s},
    };
    for (const auto& c : cases) {
        m_dialogs.shown.clear();
        ProgramOptions options;
        options.listFilePath = c.list;
        options.dialogs = &m_dialogs;
        options.settingsFile = m_dir.filePath(u"settings.ini"_s);
        Program program(std::move(options));
        program.start();
        ASSERT_EQ(m_dialogs.shown.size(), 1);
        EXPECT_TRUE(m_dialogs.shown.first().startsWith(c.message)) << m_dialogs.shown.first().toStdString();
        EXPECT_EQ(program.session().domains().count(), 0);
        program.frmMain().findChild<QPushButton*>(u"cmdExit"_s)->click();
        EXPECT_EQ(m_dialogs.shown.size(), 2);
        EXPECT_TRUE(m_dialogs.shown.last().contains(u"was not saved"_s));
        EXPECT_FALSE(program.frmMain().isVisible());
    }
    EXPECT_EQ(listFile(), "");
    EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
}

TEST_F(WindowTest, TheWindowOpensWhereItWasLeftKeptOnTheScreen)
{
    start("a.com|\r\n");
    const QRect left(QPoint(40, 30), window().size() + QSize(100, 60));
    window().setGeometry(left);
    button("cmdExit").click();
    m_program.reset();
    start("a.com|\r\n");
    EXPECT_EQ(window().geometry(), left);

    // Left on a larger screen than there is now, it comes back onto the screen, as large as it has room for.
    window().setGeometry(1500, 900, 1100, 700);
    button("cmdExit").click();
    m_program.reset();
    const QRect area(0, 24, 1024, 744);
    m_availableArea = [&](const QWidget&) { return area; };
    start("a.com|\r\n");
    EXPECT_TRUE(area.contains(window().frameGeometry()));
    EXPECT_EQ(window().frameGeometry().width(), 1024);
    EXPECT_GE(window().height(), 600);

    // Moved far off every screen, it comes back onto it.
    window().move(50000, 50000);
    button("cmdExit").click();
    m_program.reset();
    start("a.com|\r\n");
    EXPECT_TRUE(area.contains(window().frameGeometry()));
}

} // namespace
