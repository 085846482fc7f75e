#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <memory>
#include <optional>

struct psl_ctx_st;

// The name under which the web graph holds a listed domain: its registered domain by the ICANN section of the
// Public Suffix List, in lower case ASCII (IDNs as "xn--"), so that www.example.com and shop.example.com are
// example.com and shop.example.co.uk is example.co.uk. The list comes from the system's public suffix data, or
// the copy built into libpsl when that is missing.
class GraphNames {
public:
    GraphNames();
    ~GraphNames();
    GraphNames(const GraphNames&) = delete;
    GraphNames& operator=(const GraphNames&) = delete;

    // The registered domain of a listed domain's bytes; nothing when they are not a host name (not UTF-8, no
    // valid IDNA form) or are a public suffix themselves (co.uk).
    std::optional<QByteArray> registeredDomain(QByteArrayView listed) const;

    // The name with its labels in reverse order, as the graph's files write it: "uk.co.example".
    static QByteArray reversed(QByteArrayView name);

private:
    bool isPublicSuffix(const QByteArray& name) const;

    struct Release {
        void operator()(psl_ctx_st* context) const;
    };
    std::unique_ptr<psl_ctx_st, Release> m_suffixes;
};
