#pragma once

#include <QByteArrayView>
#include <QStringView>

#include <optional>

// Reads the number of linking pages out of an engine's result page (the bytes as received, one character per
// byte). The engine is selected by its catalogue name, exactly. The engines write their numbers in English
// ("," between digit groups, "." before a fraction), so the count is read that way whatever the user's locale.

// The count the page states; nothing when it states none: a marker missing, nothing between the markers, or text
// there that is no count (see CountText::parsePageCount), or an engine outside the catalogue.
std::optional<qint64> FindLinkCount(QByteArrayView page, QStringView engineName);

// The same with every failure given as 0, so that a page stating no count cannot be told from one stating 0.
qint64 ExtractLinkCount(QByteArrayView page, QStringView engineName);
