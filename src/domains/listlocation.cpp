#include "domains/listlocation.h"

#include "domains/domainlist.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

QString listFilePath(const QString& programDirectory)
{
    const QString fileName = u"brenlow.txt"_s;
    const QString portable = QDir(programDirectory).filePath(fileName);
    if (DomainList::FileExists(portable))
        return portable;
    // The program's own data folder, named here rather than taken from the application's name, so that the
    // window and the command line find the same list.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(dataHome).filePath(u"brenlow/"_s + fileName);
}

QString canonicalListPath(const QString& path)
{
    QFileInfo info(path);
    // A link may name a list not made yet, so links are followed by hand as far as they go.
    constexpr int maxLinks = 40;
    for (int links = 0; links < maxLinks && info.isSymLink(); ++links)
        info.setFile(info.symLinkTarget());
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
}
