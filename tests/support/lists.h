#pragma once

#include "domains/domainlist.h"

#include <QByteArray>
#include <QList>

// What a new domain's record holds after its domain: every engine with the count 0.
inline const QByteArray zeroCounts = "|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=0|";

// The records of a list, in order.
inline QList<QByteArray> records(const DomainList& list)
{
    QList<QByteArray> result;
    for (int i = 1; i <= list.count(); ++i)
        result.append(list.entry(i));
    return result;
}
