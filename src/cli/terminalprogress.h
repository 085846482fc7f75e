#pragma once

#include "workflows/updaterun.h"

#include <cstdio>

// The progress of an update run as a one-line bar on a terminal, with the window's progress text beside it.
// Silent when the stream is not a terminal, so that scripts and cron mail get no control characters.
class TerminalProgress final : public UpdateRunControls {
public:
    explicit TerminalProgress(std::FILE* stream);

    void enterRunningState() override {}
    void leaveRunningState() override;
    void showProgress(const QString& text) override;

private:
    std::FILE* m_stream;
    bool m_isTerminal;
    bool m_shown = false;
};
