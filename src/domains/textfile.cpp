#include "domains/textfile.h"

#include <QFile>

std::optional<QByteArray> readTextFile(const QString& path, QString& error)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        QByteArray contents = file.readAll();
        if (file.error() == QFileDevice::NoError)
            return contents;
    }
    error = file.errorString();
    return std::nullopt;
}
