#pragma once

#include <QByteArray>
#include <QString>

// Reads a file under tests/data; fails the running test when it cannot.
QByteArray readTestData(const QString& relativePath);
