#pragma once

#include <QString>

// A clause of the logic's ("the domain list ... cannot be read: ...") as the start of a message box's sentence.
inline QString sentenceOf(const QString& clause)
{
    return clause.isEmpty() ? clause : clause.front().toUpper() + clause.sliced(1);
}
