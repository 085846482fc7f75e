#pragma once

#include <nlohmann/json.hpp>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct Invocation;

// How show and history print their rows: a table for a person; tab-separated values, comma-separated values and
// JSON for scripts.
enum class RowFormat { Table, Tsv, Csv, Json };

// The format --format asks for, a table when it is not given; nothing, after a message, when there is no such
// format or --no-header does not go with it.
std::optional<RowFormat> rowFormat(const Invocation& invocation);

// One line of tab-separated values (tabs, line breaks and backslashes written as escapes) or of comma-separated
// values (RFC 4180: a field quoted when it holds a comma, a quote or a line break; CR LF at the end).
QByteArray separatedLine(const QList<QByteArray>& fields, RowFormat format);

// Bytes for JSON, which must be Unicode: a byte that is not valid UTF-8 counts as Latin-1.
QString jsonText(const QByteArray& bytes);

// A JSON value as one compact line, written by the JSON library that the history's files use.
QByteArray compactJson(const nlohmann::json& value);
// A count, or null.
nlohmann::json jsonCount(const std::optional<qint64>& count);

// The columns of a table on a terminal: each as wide as its widest text in cells on screen, two spaces apart,
// numbers aligned right so that their digits line up. Every line is measured before the first is printed, so
// that a long list is never held as text. Texts must be printable (printableText).
class TableColumns {
public:
    explicit TableColumns(QList<bool> alignRight);

    void measure(const QStringList& cells);
    // The line with its line end.
    QByteArray line(const QStringList& cells) const;

private:
    QList<bool> m_alignRight;
    QList<int> m_widths;
};
