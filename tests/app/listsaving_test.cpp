#include "app/qtdialogs.h"
#include "domains/listlock.h"
#include "support/lists.h"
#include "support/modaldialog.h"
#include "windowfixture.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray twoDomains = "a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n"
                              "b.com|AllTheWeb=6|AltaVista=7|Google=8|HotBot=9|MSN=10|\r\n";
const QByteArray aUpdated = "a.com|AllTheWeb=10|AltaVista=20|Google=30|HotBot=40|MSN=50|\r\n";
const QByteArray bAsRead = "b.com|AllTheWeb=6|AltaVista=7|Google=8|HotBot=9|MSN=10|\r\n";

class ListSavingTest : public WindowTest {
protected:
    void TearDown() override
    {
        // The temporary folder is removed only when it can be written again.
        ::chmod(QFile::encodeName(m_dir.path()).constData(), 0700);
    }

    static QByteArray contentsOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QString details(const std::string& notice)
    {
        button("cmd" + notice + "Details").click();
        auto* box = window().findChild<QMessageBox*>(QString::fromStdString("cmd" + notice + "DetailsBox"));
        if (!box)
            return u"<no box>"_s;
        const bool beside = box->isVisible() && !QApplication::activeModalWidget();
        const QString text = box->text();
        box->close();
        return beside ? text : u"<modal>"_s;
    }
};

TEST_F(ListSavingTest, EveryKindOfUpdateRunSavesTheListBeforeExit)
{
    const struct {
        const char* what;
        std::function<void()> run;
    } cases[] = {
        {"Update All", [this] { button("cmdUpdate0").click(); }},
        {"Update Selected", [this] { button("cmdUpdate1").click(); }},
        {"Update This Domain Only",
         [this] {
             m_choice = &action("mnuGridMenuUpdate");
             QTest::keyClick(&grid(), Qt::Key_F10, Qt::ShiftModifier);
         }},
    };
    m_server.serveDomain("a.com", {10, 20, 30, 40, 50});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_program.reset();
        start(twoDomains);
        grid().makeCurrent(1, 0);
        c.run();
        ASSERT_TRUE(eventually([&] { return isIdle(); }));
        // b.com's engines are not served: a run over it keeps its counts.
        EXPECT_EQ(listFile(), aUpdated + bAsRead);
        EXPECT_TRUE(window().isVisible());
    }
}

TEST_F(ListSavingTest, AddRemoveImportAndSortEachSaveTheList)
{
    start(twoDomains);
    m_dialogs.prompts = {u"new.com"_s};
    button("cmdAddDomain").click();
    EXPECT_EQ(listFile(), twoDomains + "new.com" + zeroCounts + "\r\n");

    m_dialogs.answers = {UserDialogs::Answer::Yes};
    grid().makeCurrent(1, 0);
    button("cmdRemoveDomain").click();
    EXPECT_EQ(listFile(), bAsRead + "new.com" + zeroCounts + "\r\n");

    const QString importPath = m_dir.filePath(u"import.txt"_s);
    QFile import(importPath);
    ASSERT_TRUE(import.open(QIODevice::WriteOnly));
    import.write("d.com\n");
    import.close();
    m_dialogs.files = {importPath};
    action("mnuFileImportUrls").trigger();
    EXPECT_EQ(listFile(), bAsRead + "new.com" + zeroCounts + "\r\nd.com" + zeroCounts + "\r\n");

    // A sort by domain, descending.
    action("mnuSortDescending").trigger();
    action("mnuSortBy0").trigger();
    EXPECT_EQ(listFile(), "new.com" + zeroCounts + "\r\nd.com" + zeroCounts + "\r\n" + bAsRead);
    EXPECT_FALSE(label("lblSaveNotice").isVisible());
}

TEST_F(ListSavingTest, SaveListAsMovesTheListAndItsLockToTheChosenFile)
{
    start(twoDomains);
    const QString other = m_dir.filePath(u"other/list.txt"_s);
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(u"other"_s));
    m_dialogs.files = {other};
    action("mnuFileSaveListAs").trigger();

    EXPECT_EQ(m_dialogs.shown, QStringList{u"save|Save List As|%1|Text files (*.txt)"_s.arg(listPath())});
    EXPECT_EQ(contentsOf(other), twoDomains);
    EXPECT_TRUE(QFile::exists(other + u".lock"_s));
    // Another Brenlow cannot take the new file while this one saves there.
    ListLock another(other);
    EXPECT_EQ(another.lock(), ListLock::Result::InUse);

    // Later saves, Exit's included, go to the new file; the old one stays as it was.
    m_dialogs.prompts = {u"new.com"_s};
    button("cmdAddDomain").click();
    EXPECT_EQ(contentsOf(other), twoDomains + "new.com" + zeroCounts + "\r\n");
    m_program->session().grid().setCount(1, 0, 99);
    button("cmdExit").click();
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(contentsOf(other).startsWith("a.com|AllTheWeb=99|"));
    EXPECT_EQ(listFile(), twoDomains);
}

TEST_F(ListSavingTest, SaveListAsRefusesAFileAnotherBrenlowHolds)
{
    start(twoDomains);
    const QString held = m_dir.filePath(u"held.txt"_s);
    ListLock holder(held);
    ASSERT_EQ(holder.lock(), ListLock::Result::Locked);
    m_dialogs.files = {held};
    action("mnuFileSaveListAs").trigger();

    ASSERT_EQ(m_dialogs.shown.size(), 2);
    EXPECT_TRUE(m_dialogs.shown.last().startsWith(u"warning||The domain list %1 is already open in another Brenlow "
                                                  u"(process "_s.arg(held)))
        << m_dialogs.shown.last().toStdString();
    EXPECT_TRUE(m_dialogs.shown.last().endsWith(u").\n\nThe list was not saved to that file."_s));
    EXPECT_FALSE(QFile::exists(held));
    // The list stays where it was.
    m_dialogs.prompts = {u"new.com"_s};
    button("cmdAddDomain").click();
    EXPECT_EQ(listFile(), twoDomains + "new.com" + zeroCounts + "\r\n");
}

TEST_F(ListSavingTest, AFailedSaveIsToldOnceInTheStatusBarUntilASaveSucceeds)
{
    start(twoDomains);
    // A file stands where the list's folder was: no save can succeed, for root either.
    ASSERT_TRUE(QDir(m_dir.path()).removeRecursively());
    QFile blocker(m_dir.path());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_dialogs.prompts = {u"one.com"_s, u"two.com"_s};
    button("cmdAddDomain").click();
    button("cmdAddDomain").click();

    // Only the prompts were shown: no box for the failed saves.
    EXPECT_EQ(m_dialogs.shown.size(), 2);
    EXPECT_EQ(label("lblSaveNotice").text(), u"The list could not be saved."_s);
    EXPECT_TRUE(label("lblSaveNotice").isVisible());
    EXPECT_EQ(cell(4, 0), u"two.com"_s);
    const QString text = details("Save");
    EXPECT_TRUE(text.startsWith(u"The domain list could not be saved to %1: "_s.arg(listPath()))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(u".\n\nThe file still holds the list as it was last saved, and the window keeps the "
                              u"changes; Brenlow tries again after every update and edit. Use File > Save List "
                              u"As\u2026 to save the list to another file."_s))
        << text.toStdString();

    // Once the folder is back, the next edit saves everything and the notice goes.
    ASSERT_TRUE(blocker.remove());
    ASSERT_TRUE(QDir().mkpath(m_dir.path()));
    m_dialogs.prompts = {u"three.com"_s};
    button("cmdAddDomain").click();
    EXPECT_FALSE(label("lblSaveNotice").isVisible());
    EXPECT_EQ(listFile(),
              twoDomains + "one.com" + zeroCounts + "\r\ntwo.com" + zeroCounts + "\r\nthree.com" + zeroCounts + "\r\n");
    EXPECT_EQ(window().statusBar()->currentMessage(), u"Saved the list to %1."_s.arg(listPath()));
}

TEST_F(ListSavingTest, AReadOnlyFolderIsToldAtStartAndExitOffersSaveListAs)
{
    writeList(twoDomains);
    // A folder that stays writable, for the list saved elsewhere.
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(u"saved"_s));
    const QString elsewhere = m_dir.filePath(u"saved/list.txt"_s);
    const QByteArray folder = QFile::encodeName(m_dir.path());
    ASSERT_EQ(::chmod(folder.constData(), 0555), 0);
    if (::access(folder.constData(), W_OK) == 0)
        GTEST_SKIP() << "this user can write in a read-only folder";
    m_server.serveDomain("a.com", {10, 20, 30, 40, 50});
    start(twoDomains);

    // Told at once, without a box that would wait for an answer.
    EXPECT_EQ(m_dialogs.shown, QStringList());
    EXPECT_EQ(label("lblSaveNotice").text(), u"The list cannot be saved here."_s);
    EXPECT_EQ(details("Save"), u"The domain list %1 cannot be written: Permission denied.\n\nUpdates and edits show "
                               u"in the window but are not saved to that file; Brenlow tries again after each. Use "
                               u"File > Save List As\u2026 to save the list to another file."_s.arg(listPath()));

    // A run's results are shown all the same, and its history notice says the counts are not saved.
    button("cmdUpdate0").click();
    EXPECT_EQ(cell(1, 1), u"150"_s);
    EXPECT_EQ(m_dialogs.shown, QStringList());
    EXPECT_EQ(listFile(), twoDomains);
    EXPECT_TRUE(details("History").endsWith(u"\n\nThe counts are still updated in the window, but the list is not "
                                            u"being saved either: use File > Save List As\u2026 to keep them."_s));

    // Exit offers to save the list elsewhere, and ends once it is saved there.
    m_dialogs.picks = {0};
    m_dialogs.files = {elsewhere};
    button("cmdExit").click();
    ASSERT_EQ(m_dialogs.shown.size(), 2);
    EXPECT_TRUE(
        m_dialogs.shown.first().startsWith(u"choose||The domain list could not be saved to %1"_s.arg(listPath())))
        << m_dialogs.shown.first().toStdString();
    EXPECT_TRUE(m_dialogs.shown.first().endsWith(u"|Save List As\u2026/Exit without saving/Cancel"_s));
    EXPECT_TRUE(m_dialogs.shown.last().startsWith(u"save|Save List As|"_s));
    EXPECT_FALSE(window().isVisible());
    EXPECT_EQ(contentsOf(elsewhere), aUpdated + bAsRead);
}

TEST(ExitChoice, EachButtonAnswersWithItsIndexAndEscapeWithTheLast)
{
    const QStringList choices{u"Save List As\u2026"_s, u"Exit without saving"_s, u"Cancel"_s};
    // -1: Escape.
    for (const int press : {0, 1, 2, -1}) {
        SCOPED_TRACE(press);
        QtDialogs dialogs(u"Brenlow"_s);
        bool seen = false;
        onModalDialog<QMessageBox>(
            [&](QMessageBox& box) {
                QStringList captions;
                for (QAbstractButton* button : box.buttons())
                    captions.append(button->text());
                EXPECT_EQ(captions.size(), 3);
                EXPECT_EQ(box.defaultButton()->text(), choices.first());
                EXPECT_EQ(box.windowTitle(), u"Brenlow"_s);
                if (press < 0) {
                    QTest::keyClick(&box, Qt::Key_Escape);
                    return;
                }
                for (QAbstractButton* button : box.buttons()) {
                    if (button->text() == choices.at(press))
                        button->click();
                }
            },
            seen);
        EXPECT_EQ(dialogs.choose(u"The list could not be saved."_s, choices, QString()), press < 0 ? 2 : press);
        EXPECT_TRUE(seen);
    }
}

} // namespace
