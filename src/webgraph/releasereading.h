#pragma once

#include "values/graphfigures.h"
#include "webgraph/graphdownload.h"
#include "webgraph/graphindex.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class GraphNames;

// Reads the web graph's release index, and a release's files for the listed domains: the ranks file always, the
// vertices and edges files when linking domains are to be counted. Each file streams through the decompressor
// once, and only the figures of the listed domains are kept.
class ReleaseReading {
public:
    // Which file is being read, its bytes had so far and its size (0 while unknown).
    struct Progress {
        graphindex::GraphFile file = graphindex::GraphFile::Ranks;
        qint64 done = 0;
        qint64 size = 0;
    };
    using ProgressHandler = std::function<void(const Progress&)>;
    using ListedFigures = QList<std::pair<QByteArray, GraphFigures>>; // a listed domain's bytes and its figures

    // A reading that Cancel stopped, kept so that a later read of the same release, for the same domains and the
    // same files, goes on where it stopped: from the file and byte it had come to, with the decompressor's state
    // and the figures found so far. Reading anything else starts afresh.
    class Paused {
    public:
        Paused();
        ~Paused();
        Paused(const Paused&) = delete;
        Paused& operator=(const Paused&) = delete;

        bool isEmpty() const { return !m_state; }
        // The release, and the file and byte where the reading stopped.
        QString releaseId() const;
        Progress stoppedAt() const;

    private:
        friend class ReleaseReading;
        struct State;
        std::unique_ptr<State> m_state;
    };

    ReleaseReading(GraphDownload& download, const GraphNames& names);

    // The releases the index lists, newest first; nothing (error() says why) when it cannot be read.
    std::optional<QList<GraphRelease>> releases(const QUrl& index, const GraphDownload::StopRequested& stop = {});

    // The figures of each listed domain in release, whose files are under data; nothing (error() says why, or
    // cancelled() is true) when a file could not be read whole. A release whose index gave no domain count gets
    // the count of its ranks file. With paused, a reading it holds goes on, and one that is cancelled is kept in it.
    std::optional<ListedFigures> read(GraphRelease& release, const QUrl& data, const QList<QByteArray>& listed,
                                      bool linkingDomains, const ProgressHandler& progress = {},
                                      const GraphDownload::StopRequested& stop = {}, Paused* paused = nullptr);

    const QString& error() const { return m_error; }
    bool cancelled() const { return m_cancelled; }

private:
    std::unique_ptr<Paused::State> begin(const QString& releaseId, const QUrl& data, const QList<QByteArray>& listed,
                                         bool linkingDomains) const;
    bool readFile(const QUrl& url, Paused::State& state, const ProgressHandler& progress,
                  const GraphDownload::StopRequested& stop);

    GraphDownload& m_download;
    const GraphNames& m_names;
    QString m_error;
    bool m_cancelled = false;
};
