#pragma once

#include "webgraph/progresstext.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

// The progress of a release's reading on a terminal, one line rewritten in place at most five times a second:
// "ranks: 1.2 GB of 2.4 GB, 35.2 MB/s, 0:34 left".
class WebGraphProgress {
public:
    explicit WebGraphProgress(std::FILE* terminal);
    ~WebGraphProgress();

    void show(const ReleaseReading::Progress& progress);
    // Ends the line, so that what follows starts on a line of its own.
    void finish();

private:
    std::FILE* m_terminal;
    QElapsedTimer m_sinceShown;
    QElapsedTimer m_sinceFileBegan;
    int m_file = -1;
    bool m_lineOpen = false;
    qsizetype m_shownLength = 0; // of the line on screen, which a shorter one must cover
};
