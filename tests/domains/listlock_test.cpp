#include "domains/listlocation.h"
#include "domains/listlock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(ListLock, EveryPathToTheListMeetsOneLock)
{
    QTemporaryDir dir;
    const QString real = QDir(dir.path()).canonicalPath() + u"/lists/brenlow.txt"_s;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(real).absolutePath()));
    QFile(real).open(QIODevice::WriteOnly);
    const QString link = dir.filePath(u"link.txt"_s);
    const QString folderLink = dir.filePath(u"folder-link"_s);
    const QString dangling = dir.filePath(u"dangling.txt"_s);
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(QFile::link(QFileInfo(real).absolutePath(), folderLink));
    ASSERT_TRUE(QFile::link(dir.filePath(u"lists/new.txt"_s), dangling));

    const struct {
        QString path;
        QString canonical;
    } cases[] = {
        {real, real},
        {link, real},
        {folderLink + u"/brenlow.txt"_s, real},
        {dir.filePath(u"lists/../lists/brenlow.txt"_s), real},
        // Lists not made yet: through a link, in a folder that is there, in one that is not.
        {dangling, QFileInfo(real).absolutePath() + u"/new.txt"_s},
        {folderLink + u"/other.txt"_s, QFileInfo(real).absolutePath() + u"/other.txt"_s},
        {dir.filePath(u"none/brenlow.txt"_s), dir.filePath(u"none/brenlow.txt"_s)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(canonicalListPath(c.path), c.canonical) << c.path.toStdString();

    ListLock first(link);
    ASSERT_EQ(first.lock(), ListLock::Result::Locked);
    EXPECT_EQ(first.lockFilePath(), real + u".lock"_s);
    for (const QString& other : {real, folderLink + u"/brenlow.txt"_s}) {
        ListLock second(other);
        EXPECT_EQ(second.lock(), ListLock::Result::InUse);
        EXPECT_EQ(second.holder(),
                  u"process %1 on %2"_s.arg(QCoreApplication::applicationPid()).arg(QSysInfo::machineHostName()));
    }
}

} // namespace
