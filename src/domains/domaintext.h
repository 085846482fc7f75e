#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Reduces typed text or an import line to the domain that is stored, or rejects it. Texts are bytes, one
// character per byte; comparisons are exact unless a function says otherwise.

enum class AddDomainResult : int {
    AddOk = 0,         // a domain was produced (or, from AddADomain, was already listed)
    AddEmpty = 1,      // the text was empty
    AddNotADomain = 2, // no dot, or a character the list file or a request line cannot carry
};

struct NormalisedDomain {
    AddDomainResult result = AddDomainResult::AddEmpty;
    QByteArray domain; // set for AddOk only
};

// Whether a text holds a byte that no domain of the list may hold: the list file separates fields with "|", and a
// line break or other control byte would split a record or a request line.
bool holdsUnstorableByte(QByteArrayView text);

// A domain as the user types it, ready for NormaliseDomain: lower-cased, plain spaces trimmed, as bytes.
QByteArray typedDomainText(const QString& typed);

// An address that begins with "http://" or "https://", in any letter case, gives its host without user name,
// password or port; any other text holding "/" is read as a web address and reduced to its host. The result
// must hold a dot.
NormalisedDomain NormaliseDomain(QByteArrayView text);

// The host of an address that begins with "http://"; empty when no host with a dot is found.
QByteArray SplitUrl(QByteArrayView address);

// Drops one trailing line break, gives a bare "http://host" its "/", and trims spaces.
QByteArray NormaliseUrl(QByteArrayView address);

struct SplitText {
    QByteArray head; // before the last "/" or "\", spaces trimmed
    QByteArray tail; // after it, spaces trimmed; the whole text when there is no separator
};
SplitText SplitAtLastSlash(QByteArrayView text);
