#pragma once

#include <QByteArrayView>
#include <QStringView>

class CountText;

// Reads the number of linking pages out of an engine's result page (the bytes as received, one character per
// byte). The engine is selected by its catalogue name, exactly. Every failure gives 0.
qint32 ExtractLinkCount(QByteArrayView page, QStringView engineName, const CountText& countText);
