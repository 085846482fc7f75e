#include "engine/counttext.h"

#include <algorithm>
#include <limits>

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool takePrefix(QStringView& text, const QString& prefix)
{
    if (prefix.isEmpty() || !text.startsWith(prefix))
        return false;
    text = text.sliced(prefix.size());
    return true;
}

} // namespace

CountText::CountText(const QLocale& locale)
    : m_locale(locale)
    , m_groupSeparator(locale.groupSeparator())
    , m_decimalPoint(locale.decimalPoint())
    , m_negativeSign(locale.negativeSign())
    , m_positiveSign(locale.positiveSign())
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
        text += m_negativeSign;
    const qsizetype firstGroup = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
    text += QStringView(digits).first(firstGroup);
    for (qsizetype at = firstGroup; at < digits.size(); at += 3) {
        text += m_groupSeparator;
        text += QStringView(digits).sliced(at, 3);
    }
    return text;
}

std::optional<qint32> CountText::parseNumber(QStringView text, bool allowFraction) const
{
    bool negative = false;
    if (takePrefix(text, m_negativeSign) || takePrefix(text, QStringLiteral("-")))
        negative = true;
    else if (!takePrefix(text, m_positiveSign))
        takePrefix(text, QStringLiteral("+"));

    // Whole part: digits, a group separator allowed only between two digits.
    constexpr qint64 beyondRange = qint64(std::numeric_limits<qint32>::max()) + 2;
    qint64 whole = 0;
    qsizetype digitCount = 0;
    while (!text.isEmpty()) {
        if (isDigit(text.front())) {
            whole = std::min(whole * 10 + (text.front().unicode() - u'0'), beyondRange);
            ++digitCount;
            text = text.sliced(1);
        } else if (digitCount > 0 && !m_groupSeparator.isEmpty() && text.startsWith(m_groupSeparator) &&
                   text.size() > m_groupSeparator.size() && isDigit(text[m_groupSeparator.size()])) {
            text = text.sliced(m_groupSeparator.size());
        } else {
            break;
        }
    }
    if (digitCount == 0)
        return std::nullopt;

    // Decimal part: at least one digit, rounded half to even.
    if (allowFraction && takePrefix(text, m_decimalPoint)) {
        if (text.isEmpty())
            return std::nullopt;
        for (QChar c : text) {
            if (!isDigit(c))
                return std::nullopt;
        }
        const int firstFraction = text.front().unicode() - u'0';
        const bool beyondHalf = std::any_of(text.begin() + 1, text.end(), [](QChar c) { return c != u'0'; });
        if (firstFraction > 5 || (firstFraction == 5 && (beyondHalf || whole % 2 == 1)))
            whole = std::min(whole + 1, beyondRange);
        text = {};
    }
    if (!text.isEmpty())
        return std::nullopt;

    const qint64 value = negative ? -whole : whole;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(value);
}
