#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <QList>

#include <span>

// The search engines, their link queries, where their pages state a count, and the grid's column titles.
// The tables are filled once, when a session on a list begins, and read-only afterwards; the order of the
// catalogue is the order of the engine columns, of the "View Results From : " items and of the queries within an
// update run.

// Where an engine's result page states its count: the text between the start and the end marker, the start
// marker searched only from the anchor on (from the beginning when there is no anchor). Markers match in any
// letter case.
struct ExtractionRule {
    QByteArrayView anchor;
    QByteArrayView startMarker;
    QByteArrayView endMarker;
};

// Everything particular to an engine, one row each, in catalogue order.
struct EngineDefinition {
    QStringView name;
    QByteArrayView host;
    QByteArrayView queryTemplate;
    ExtractionRule rule;
};

// The engines' table, one row each, in catalogue order.
std::span<const EngineDefinition> engineDefinitions();

struct EngineEntry {
    QString name;             // display name, column title and key of the extraction rule
    QByteArray host;          // public web-search host, no scheme or path
    QByteArray queryTemplate; // URL-encoded path and query holding "%DOMAIN%"
};

class EngineTables {
public:
    using Catalogue = QList<EngineEntry>;
    // "Domain", "Total", the engines' names, and an empty title for the filler column.
    using Headers = QList<QString>;

    void InitGridHeaders();
    void InitEngineCatalogue();
    // Tables with both filled.
    static EngineTables initialised();

    const Catalogue& EngineCatalogue() const { return m_catalogue; }
    const EngineEntry& engine(int index) const { return m_catalogue.at(index); }

    const Headers& GridHeaders() const { return m_headers; }
    const QString& gridHeader(int slot) const { return m_headers.at(slot); }

private:
    Catalogue m_catalogue;
    Headers m_headers;
};

// Replaces the first two "%DOMAIN%" placeholders (any letter case) with the domain, verbatim.
QByteArray ExpandTemplate(QByteArrayView queryTemplate, QByteArrayView domain);

// The path of the engine's link query for a domain, its bytes as the list holds them. The domain goes in
// percent-encoded: every byte but ASCII letters, digits, "-", ".", "_" and "~" as "%" and two upper-case hex
// digits, so that no domain adds parameters to the query or splits the request line.
QByteArray linkQueryPath(const EngineEntry& engine, QByteArrayView domain);
