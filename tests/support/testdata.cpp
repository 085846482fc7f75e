#include "support/testdata.h"

#include <QFile>

#include <gtest/gtest.h>

QByteArray readTestData(const QString& relativePath)
{
    QFile file(QStringLiteral(BRENLOW_TEST_DATA_DIR "/") + relativePath);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read test data " << file.fileName().toStdString();
        return {};
    }
    return file.readAll();
}
