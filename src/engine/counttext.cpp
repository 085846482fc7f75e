#include "engine/counttext.h"

#include <algorithm>
#include <array>

namespace {

// Digits read so far into a whole number, which must stay a link count: groups of three digits after the first
// group once a mark has been seen, any number of digits without one.
class GroupedDigits {
public:
    // False when the digit would take the number beyond MaxLinkCount.
    bool addDigit(int digit)
    {
        if (m_value > (CountText::MaxLinkCount - digit) / 10)
            return false;
        m_value = m_value * 10 + digit;
        ++m_groupDigits;
        return true;
    }
    // False when no group of the right size stands before the mark: one to three digits before the first.
    bool addMark()
    {
        if (!groupComplete() || m_groupDigits > 3)
            return false;
        m_marked = true;
        m_groupDigits = 0;
        return true;
    }
    // The number, when its last group is complete.
    std::optional<qint64> value() const { return groupComplete() ? std::optional(m_value) : std::nullopt; }

private:
    bool groupComplete() const { return m_marked ? m_groupDigits == 3 : m_groupDigits >= 1; }

    qint64 m_value = 0;
    int m_groupDigits = 0;
    bool m_marked = false;
};

template <typename Char> int digitValue(Char c)
{
    return (c >= '0' && c <= '9') ? int(c - '0') : -1;
}

// The marks, in UTF-8, that join digit groups in the counts of every locale the program may have written them in:
// ",", ".", "'", a space, U+2019, a no-break space, a narrow no-break space, U+066C (Arabic scripts) and U+2E41.
constexpr std::array<QByteArrayView, 9> storedGroupMarks{
    ",", ".", "'", " ", "\xE2\x80\x99", "\xC2\xA0", "\xE2\x80\xAF", "\xD9\xAC", "\xE2\xB9\x81"};

} // namespace

CountText::CountText(const QLocale& locale)
    : m_locale(locale)
    , m_groupSeparator(locale.groupSeparator())
{
}

QLocale CountText::userLocale()
{
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return system;
}

QString CountText::format(qint64 value) const
{
    // Digits are always ASCII; only the separator comes from the locale.
    const bool negative = value < 0;
    quint64 magnitude = negative ? 0 - static_cast<quint64>(value) : static_cast<quint64>(value);
    QString digits = QString::number(magnitude);
    QString text;
    text.reserve(digits.size() + digits.size() / 3 * m_groupSeparator.size() + 1);
    if (negative)
        text += m_locale.negativeSign();
    const qsizetype firstGroup = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
    text += QStringView(digits).first(firstGroup);
    for (qsizetype at = firstGroup; at < digits.size(); at += 3) {
        text += m_groupSeparator;
        text += QStringView(digits).sliced(at, 3);
    }
    return text;
}

QByteArray CountText::fileForm(qint64 value)
{
    QByteArray digits = QByteArray::number(value);
    for (qsizetype at = digits.size() - 3; at > (value < 0 ? 1 : 0); at -= 3)
        digits.insert(at, ',');
    return digits;
}

std::optional<qint64> CountText::parseFileCount(QByteArrayView text)
{
    GroupedDigits number;
    while (!text.isEmpty()) {
        if (const int digit = digitValue(text.front()); digit >= 0) {
            if (!number.addDigit(digit))
                return std::nullopt;
            text = text.sliced(1);
            continue;
        }
        const auto mark = std::find_if(storedGroupMarks.begin(), storedGroupMarks.end(),
                                       [text](QByteArrayView m) { return text.startsWith(m); });
        if (mark == storedGroupMarks.end() || !number.addMark())
            return std::nullopt;
        text = text.sliced(mark->size());
    }
    return number.value();
}

std::optional<qint64> CountText::parsePageCount(QByteArrayView text)
{
    GroupedDigits number;
    qsizetype at = 0;
    for (; at < text.size() && text[at] != '.'; ++at) {
        const int digit = digitValue(text[at]);
        if (digit >= 0 ? !number.addDigit(digit) : (text[at] != ',' || !number.addMark()))
            return std::nullopt;
    }
    std::optional<qint64> whole = number.value();
    if (!whole || at == text.size())
        return whole;

    // A fraction: at least one digit, rounded half to even.
    const QByteArrayView fraction = text.sliced(at + 1);
    if (fraction.isEmpty() || !std::all_of(fraction.begin(), fraction.end(), [](char c) { return digitValue(c) >= 0; }))
        return std::nullopt;
    const int first = digitValue(fraction.front());
    const bool beyondHalf = std::any_of(fraction.begin() + 1, fraction.end(), [](char c) { return c != '0'; });
    if (first > 5 || (first == 5 && (beyondHalf || *whole % 2 == 1)))
        ++*whole;
    return *whole <= MaxLinkCount ? whole : std::nullopt;
}
