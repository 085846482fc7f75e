#pragma once

#include "values/graphfigures.h"
#include "webgraph/releasereading.h"

#include <QDialog>
#include <QList>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>

class ListSession;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QThread;

// Where the web graph's release index and files are found: the web graph's own servers, a mirror, or a folder
// of releases downloaded by other means (a file: data URL, whose releases need no index).
struct WebGraphSources {
    QUrl index{QString::fromLatin1(graphindex::DefaultIndex)};
    QUrl data{QString::fromLatin1(graphindex::DefaultData)};
};

// File > Update From Web Graph: the releases the index lists, whether to count linking domains, and the reading
// of the chosen release for every listed domain, with its progress (bytes, rate, time left) and Cancel. Reading
// runs in a thread of its own, so the window never waits; what it found is kept in the history and shown in the
// grid. A release already read for every domain is not downloaded again.
class WebGraphDialog : public QDialog {
    Q_OBJECT
public:
    WebGraphDialog(ListSession& session, WebGraphSources sources, QWidget* parent = nullptr);
    ~WebGraphDialog() override;

    // Reads releases from a folder instead of the web graph's servers (the Folder button asks for it).
    void useFolder(const QString& folder);
    // Whether a reading is under way.
    bool isReading() const { return m_worker != nullptr; }

    void reject() override;

private:
    void listReleases();
    void start();
    void cancel();
    void showProgress(const ReleaseReading::Progress& progress, qint64 elapsedMs);
    void finishReading(const GraphRelease& release, const std::optional<ReleaseReading::ListedFigures>& figures,
                       const QString& error, bool cancelled);
    // Runs work in a thread of its own with a reader of its own; done comes back on the window's thread.
    void runInThread(std::function<void(ReleaseReading&, const GraphDownload::StopRequested&)> work);
    void joinWorker();
    void setRunning(bool running);

    ListSession& m_session;
    WebGraphSources m_sources;
    QList<GraphRelease> m_releases;
    QComboBox* m_release;
    QCheckBox* m_linking;
    QProgressBar* m_progress;
    QLabel* m_progressText;
    QLabel* m_status;
    QPushButton* m_start;
    QPushButton* m_cancel;
    QPushButton* m_folder;
    QPushButton* m_close;
    std::unique_ptr<QThread> m_worker;
    ReleaseReading::Paused m_paused; // a reading that Cancel stopped, which the next start of it goes on with
    std::atomic<bool> m_stop{false};
};

// Opens the dialog over window, or brings forward the one open.
void showWebGraphDialog(QWidget& window, ListSession& session, const WebGraphSources& sources);
