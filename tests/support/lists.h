#pragma once

#include "domains/domainlist.h"

#include <QByteArray>
#include <QList>

// What a new domain's record holds after its domain: every engine with the count 0.
inline const QByteArray zeroCounts = "|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=0|";

// A list of count domains, d1.com to d<count>.com, each with a count or two.
inline QByteArray domainsList(int count)
{
    QByteArray list;
    for (int i = 1; i <= count; ++i)
        list += "d" + QByteArray::number(i) + ".com|AllTheWeb=" + QByteArray::number(i) + "|AltaVista=0|Google=|\r\n";
    return list;
}

// The records of a list, in order.
inline QList<QByteArray> records(const DomainList& list)
{
    QList<QByteArray> result;
    for (int i = 1; i <= list.count(); ++i)
        result.append(list.entry(i));
    return result;
}
