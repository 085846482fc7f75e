#include "domains/listlocation.h"

#include "domains/domainlist.h"

#include <QDir>
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
