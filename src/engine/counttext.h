#pragma once

#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>

// Link counts and totals as the user sees them, "###,##0": digit groups of three joined by the locale's group
// separator, no decimals, zero as "0"; and as the list file holds them, joined by "," whatever the locale.
// Everything that shows, writes or reads a count goes through here.
class CountText {
public:
    // A link count is a whole number from 0 to this; a total of five of them fits a qint64 many times over.
    static constexpr qint64 MaxLinkCount = 999'999'999'999'999;

    explicit CountText(const QLocale& locale);

    // The system locale, or English (United States) when the system has only the C/POSIX locale.
    static QLocale userLocale();

    const QLocale& locale() const { return m_locale; }

    QString format(qint64 value) const;

    // A count as the list file holds it: groups of three digits joined by ",", whatever the locale ("1,234,567").
    static QByteArray fileForm(qint64 value);
    // A count the program wrote into a list file, whatever locale wrote it: digits, with any of ",", ".", "'", "’",
    // a space, a no-break space, a narrow no-break space, U+066C or U+2E41 between groups of three. Nothing when
    // the text is no such count or lies beyond MaxLinkCount.
    static std::optional<qint64> parseFileCount(QByteArrayView text);

    // The count an engine's page states, read the page's way (English): digits, optionally in groups of three
    // joined by ",", optionally "." and a fraction, rounded half to even. Nothing for anything else: a sign, groups
    // of another size, a word, or a value beyond MaxLinkCount.
    static std::optional<qint64> parsePageCount(QByteArrayView text);

private:
    QLocale m_locale;
    QString m_groupSeparator;
};
