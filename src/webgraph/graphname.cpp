#include "webgraph/graphname.h"

#include <QString>
#include <QStringConverter>
#include <QUrl>

#include <libpsl.h>

GraphNames::GraphNames()
    // psl_latest picks the newer of the system's list and the one built in.
    : m_suffixes(psl_latest(nullptr))
{
    if (!m_suffixes)
        m_suffixes.reset(const_cast<psl_ctx_t*>(psl_builtin()));
}

GraphNames::~GraphNames() = default;

void GraphNames::Release::operator()(psl_ctx_st* context) const
{
    // The built-in list is static: psl_free leaves it alone.
    psl_free(context);
}

bool GraphNames::isPublicSuffix(const QByteArray& name) const
{
    // The "*" rule makes a top-level domain that the list does not know a public suffix too.
    return psl_is_public_suffix2(m_suffixes.get(), name.constData(), PSL_TYPE_ICANN) != 0;
}

std::optional<QByteArray> GraphNames::registeredDomain(QByteArrayView listed) const
{
    auto decode = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decode(listed);
    if (decode.hasError() || text.isEmpty())
        return std::nullopt;
    text = text.toLower();
    while (text.endsWith(u'.'))
        text.chop(1);
    const QByteArray ascii = QUrl::toAce(text, QUrl::AceProcessingOption::IgnoreIDNWhitelist);
    if (ascii.isEmpty() || ascii.startsWith('.') || ascii.contains(".."))
        return std::nullopt;
    if (isPublicSuffix(ascii))
        return std::nullopt;
    // The registered domain is the longest public suffix with one label before it: the leftmost label whose
    // remainder is a public suffix.
    qsizetype start = 0;
    while (true) {
        const qsizetype dot = ascii.indexOf('.', start);
        if (dot < 0)
            return std::nullopt;
        if (isPublicSuffix(ascii.mid(dot + 1)))
            return ascii.mid(start);
        start = dot + 1;
    }
}

QByteArray GraphNames::reversed(QByteArrayView name)
{
    QByteArray out;
    out.reserve(name.size());
    qsizetype end = name.size();
    while (end > 0) {
        const qsizetype dot = name.first(end).lastIndexOf('.');
        if (!out.isEmpty())
            out += '.';
        out += name.sliced(dot + 1, end - dot - 1);
        end = dot;
    }
    return out;
}
