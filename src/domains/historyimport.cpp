#include "domains/historyschema.h"
#include "domains/historystore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;
using namespace history;

std::optional<qint64> HistoryStore::import(const QList<HistoryRun>& runs)
{
    return import([&runs](const RunVisitor& add) {
        for (const HistoryRun& run : runs) {
            if (!add(run))
                return false;
        }
        return true;
    });
}

std::optional<qint64> HistoryStore::import(const RunSource& source)
{
    if (!m_open || !m_writable || m_runId >= 0 || !exec(u"BEGIN IMMEDIATE"_s))
        return std::nullopt;
    qint64 added = 0;
    QSqlQuery findRun(database());
    findRun.prepare(u"SELECT id FROM run WHERE started = ?"_s);
    QSqlQuery addRun(database());
    addRun.prepare(u"INSERT INTO run(started, ended, front_end, cancelled) VALUES (?, ?, ?, ?)"_s);

    const auto importRun = [&](const HistoryRun& run) {
        findRun.bindValue(0, msSinceEpoch(run.started));
        if (!findRun.exec())
            return failWith(findRun.lastError());
        qint64 runId = -1;
        if (findRun.next()) {
            runId = findRun.value(0).toLongLong();
        } else {
            addRun.bindValue(0, msSinceEpoch(run.started));
            addRun.bindValue(1, run.ended.isValid() ? QVariant(msSinceEpoch(run.ended))
                                                    : QVariant(QMetaType::fromType<qint64>()));
            addRun.bindValue(2, static_cast<int>(run.frontEnd));
            addRun.bindValue(3, run.cancelled ? 1 : 0);
            if (!addRun.exec())
                return failWith(addRun.lastError());
            runId = addRun.lastInsertId().toLongLong();
        }
        findRun.finish();
        for (const DomainFetches& fetches : run.domains) {
            bool inserted = false;
            if (!insertFetches(runId, run.started, fetches, false, &inserted))
                return false;
            if (inserted) {
                for (const HistoryFetch& fetch : fetches.engines)
                    added += fetch.made() ? 1 : 0;
            }
        }
        return true;
    };
    if (source(importRun) && m_open && exec(u"COMMIT"_s))
        return added;
    if (m_open) {
        exec(u"ROLLBACK"_s);
        loadDomainIds(); // names added in the transaction are gone again
    }
    return std::nullopt;
}
