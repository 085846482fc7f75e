#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Helpers for texts held as bytes, one character per byte. Letter case is folded for ASCII letters only:
// every marker, placeholder and scheme the program looks for is plain ASCII.

// Position of the first occurrence of needle at or after from, letter case ignored; -1 when there is none.
qsizetype indexOfIgnoringCase(QByteArrayView haystack, QByteArrayView needle, qsizetype from = 0);

bool startsWithIgnoringCase(QByteArrayView text, QByteArrayView prefix);

// Removes plain spaces (byte 32) from both ends; tabs and line breaks stay.
QByteArrayView trimSpaces(QByteArrayView text);

// Bytes to text and back where text meets a widget, in the locale's 8-bit encoding (UTF-8 here). A byte that
// is not part of valid UTF-8 (a Latin-1 name from another system) becomes the code unit U+DC00 + byte and
// turns back into that byte, so every byte survives the round trip and distinct bytes stay distinct.
QString textFromBytes(QByteArrayView bytes);
QByteArray bytesFromText(QStringView text);
