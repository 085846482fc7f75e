#include "domains/listlock.h"
#include "workflows/listsession.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QByteArray oneDomain = "a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n";

// A session without a window over a list file, saved to other files.
class SaveAsTest : public ::testing::Test, private UpdateRunControls {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }

    void open(const QString& list)
    {
        SessionOptions options;
        options.listFilePath = list;
        options.locale = QLocale(QLocale::English, QLocale::UnitedStates);
        options.recordsRuns = false;
        m_session = std::make_unique<ListSession>(std::move(options));
        m_session->showIn(*this);
        ASSERT_TRUE(m_session->lock(false));
    }

    static QByteArray contentsOf(const QString& file)
    {
        QFile read(file);
        return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray("<missing>");
    }

    static void write(const QString& file, const QByteArray& bytes)
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
    }

    QTemporaryDir m_dir;
    std::unique_ptr<ListSession> m_session;

private:
    void enterRunningState() override {}
    void leaveRunningState() override {}
    void showProgress(qint64, qint64) override {}
    void fetchEnded(const FetchReport&) override {}
};

TEST_F(SaveAsTest, TheListMovesWithItsLockAndTheFirstFileStaysLocked)
{
    write(path(u"first.txt"_s), oneDomain);
    open(path(u"first.txt"_s));
    ASSERT_TRUE(m_session->load());

    ASSERT_TRUE(m_session->saveAs(path(u"second.txt"_s)));
    EXPECT_EQ(m_session->domains().filePath(), path(u"second.txt"_s));
    EXPECT_EQ(m_session->historyListPath(), path(u"first.txt"_s));
    EXPECT_EQ(contentsOf(path(u"second.txt"_s)), oneDomain);
    ASSERT_TRUE(m_session->saveAs(path(u"third.txt"_s)));
    // The file saved as before is free again; the first stays locked while its history may be written.
    EXPECT_FALSE(QFile::exists(path(u"second.txt.lock"_s)));
    EXPECT_EQ(ListLock(path(u"first.txt"_s)).lock(), ListLock::Result::InUse);
    EXPECT_EQ(ListLock(path(u"third.txt"_s)).lock(), ListLock::Result::InUse);

    // Back to the first file, under the lock it has held all along.
    m_session->domains().appendDomain("b.com");
    ASSERT_TRUE(m_session->saveAs(path(u"first.txt"_s)));
    EXPECT_FALSE(QFile::exists(path(u"third.txt.lock"_s)));
    EXPECT_EQ(contentsOf(path(u"first.txt"_s)),
              oneDomain + "b.com|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n");
}

TEST_F(SaveAsTest, AFileThatCannotBeLockedOrWrittenLeavesTheListWhereItWas)
{
    write(path(u"first.txt"_s), oneDomain);
    write(path(u"blocker"_s), "a file, not a folder");
    open(path(u"first.txt"_s));
    ASSERT_TRUE(m_session->load());

    const QString unlockable = path(u"blocker/list.txt"_s);
    EXPECT_FALSE(m_session->saveAs(unlockable));
    EXPECT_EQ(m_session->problem(), ListProblem::NotLockable);
    EXPECT_TRUE(m_session->problemText().startsWith(u"the domain list %1 cannot be locked: "_s.arg(unlockable)))
        << m_session->problemText().toStdString();
    EXPECT_EQ(m_session->domains().filePath(), path(u"first.txt"_s));

    // A directory stands where the list would go: locked, but not saved.
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(u"folder.txt"_s));
    EXPECT_FALSE(m_session->saveAs(path(u"folder.txt"_s)));
    EXPECT_EQ(m_session->problem(), ListProblem::NotSaved);
    EXPECT_TRUE(m_session->problemText().startsWith(
        u"the domain list could not be saved to %1: "_s.arg(path(u"folder.txt"_s))));
    EXPECT_EQ(m_session->domains().filePath(), path(u"first.txt"_s));
    EXPECT_FALSE(QFile::exists(path(u"folder.txt.lock"_s)));
    EXPECT_TRUE(m_session->save());
}

TEST_F(SaveAsTest, AnUnreadableListIsNeverSavedOverButMaySaveElsewhere)
{
    // Reading the process's own memory from address 0 fails, for root as well.
    open(u"/proc/self/mem"_s);
    ASSERT_FALSE(m_session->load());
    EXPECT_FALSE(m_session->saveAs(u"/proc/self/mem"_s));
    EXPECT_FALSE(m_session->domains().canSave());

    m_session->domains().appendDomain("a.com");
    ASSERT_TRUE(m_session->saveAs(path(u"rescued.txt"_s)));
    EXPECT_TRUE(m_session->domains().canSave());
    EXPECT_EQ(contentsOf(path(u"rescued.txt"_s)), "a.com|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n");
}

} // namespace
