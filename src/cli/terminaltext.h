#pragma once

#include <QString>
#include <QStringView>

// Text for a terminal. A domain from a list edited by hand may hold control characters, escape sequences or
// bidirectional controls, which a terminal would act on rather than show; and columns line up by the cells
// characters take on screen, not by their count.

// The text with every control character, bidirectional control and byte that is not valid UTF-8 written as an
// escape a user can read: "\x1b", "\u202e", "\xe9".
QString printableText(QStringView text);

// How many terminal cells the text takes: East Asian wide and full-width characters two, combining marks and
// other zero-width characters none, the rest one. Meant for text that printableText has made safe.
int displayWidth(QStringView text);

// The text with spaces added on the left (alignRight) or the right up to width cells.
QString padded(const QString& text, int width, bool alignRight);
