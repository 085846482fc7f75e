#pragma once

#include <QByteArrayView>

// Helpers for texts held as bytes, one character per byte. Letter case is folded for ASCII letters only:
// every marker, placeholder and scheme the program looks for is plain ASCII.

// Position of the first occurrence of needle at or after from, letter case ignored; -1 when there is none.
qsizetype indexOfIgnoringCase(QByteArrayView haystack, QByteArrayView needle, qsizetype from = 0);

bool startsWithIgnoringCase(QByteArrayView text, QByteArrayView prefix);

// Removes plain spaces (byte 32) from both ends; tabs and line breaks stay.
QByteArrayView trimSpaces(QByteArrayView text);
