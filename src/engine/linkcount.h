#pragma once

#include <QByteArrayView>
#include <QStringView>

// Reads the number of linking pages out of an engine's result page (the bytes as received, one character per
// byte). The engine is selected by its catalogue name, exactly. The engines write their numbers in English
// ("," between digit groups, "." before a fraction), so the count is read that way whatever the user's locale.
// Every failure gives 0.
qint32 ExtractLinkCount(QByteArrayView page, QStringView engineName);
