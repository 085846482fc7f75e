#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>

// Link counts and totals as the user sees and stores them: "###,##0", digit groups of three joined by the
// locale's group separator, no decimals, zero as "0". Everything that shows or reads a count goes through here.
class CountText {
public:
    explicit CountText(const QLocale& locale);

    // The system locale, or English (United States) when the system has only the C/POSIX locale.
    static QLocale userLocale();

    const QLocale& locale() const { return m_locale; }

    QString format(qint64 value) const;

    // Reads an optional sign, digits with group separators between them and an optional decimal part (rounded
    // half to even). Anything else, or a value outside the 32-bit signed range, is not a number.
    std::optional<qint32> parse(QStringView text) const { return parseNumber(text, true); }
    // The same without a decimal part: a whole number or nothing.
    std::optional<qint32> parseWhole(QStringView text) const { return parseNumber(text, false); }

private:
    std::optional<qint32> parseNumber(QStringView text, bool allowFraction) const;

    QLocale m_locale;
    QString m_groupSeparator;
    QString m_decimalPoint;
    QString m_negativeSign;
    QString m_positiveSign;
};
