#pragma once

#include "workflows/updaterun.h"

#include <cstdio>

class Console;
class EngineTables;

// The command line's side of an update run: a one-line progress bar on a terminal, with the window's progress
// text beside it, and a line on standard error for every fetch that failed. The bar is silent when standard
// error is not a terminal, so that scripts and cron mail get no control characters, fits the terminal's width,
// and uses no escape sequence on a dumb terminal.
class TerminalRunControls final : public UpdateRunControls {
public:
    TerminalRunControls(const Console& console, const EngineTables& engines);

    bool isTerminal() const { return m_isTerminal; }

    // The line that shows step of steps on a terminal columns wide, from its start: a bar and the window's
    // progress text, the rest of the last line erased (by spaces on a dumb terminal, previousLength of them).
    static QByteArray progressLine(qint64 step, qint64 steps, int columns, bool dumb, int previousLength);
    // Whether a terminal of this TERM takes no escape sequence: "dumb", or none named (a terminal that does not
    // say what it is may not know them).
    static bool isDumbTerminal(const QString& term) { return term.isEmpty() || term == QStringLiteral("dumb"); }

    void enterRunningState() override {}
    void leaveRunningState() override;
    void showProgress(qint64 step, qint64 steps) override;
    // "a.com, Google: not updated (the server answered 503 Service Unavailable); keeps 1,234".
    void fetchEnded(const FetchReport& report) override;

private:
    const Console& m_console;
    const EngineTables& m_engines;
    std::FILE* m_stream;
    bool m_isTerminal;
    bool m_dumbTerminal; // TERM=dumb: no escape sequences
    bool m_shown = false;
    int m_shownLength = 0;
};
