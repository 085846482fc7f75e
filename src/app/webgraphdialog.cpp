#include "app/webgraphdialog.h"

#include "domains/domainlist.h"
#include "webgraph/graphname.h"
#include "webgraph/progresstext.h"
#include "workflows/listsession.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QString releaseCaption(const GraphRelease& release, const QLocale& locale)
{
    return release.domains > 0 ? u"%1 (%2 domains)"_s.arg(release.id, locale.toString(release.domains)) : release.id;
}

} // namespace

WebGraphDialog::WebGraphDialog(ListSession& session, WebGraphSources sources, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_sources(std::move(sources))
    , m_release(new QComboBox(this))
    , m_linking(new QCheckBox(u"Count &linking domains (downloads about 15 GB)"_s, this))
    , m_progress(new QProgressBar(this))
    , m_progressText(new QLabel(this))
    , m_status(new QLabel(this))
    , m_start(new QPushButton(u"&Start"_s, this))
    , m_cancel(new QPushButton(u"&Cancel"_s, this))
    , m_folder(new QPushButton(u"&Folder\u2026"_s, this))
    , m_close(new QPushButton(u"Close"_s, this))
{
    setObjectName(u"webGraphDialog"_s);
    setWindowTitle(u"Update From Web Graph"_s);
    m_release->setObjectName(u"cboRelease"_s);
    m_linking->setObjectName(u"chkLinkingDomains"_s);
    m_progress->setObjectName(u"prgWebGraph"_s);
    m_progressText->setObjectName(u"lblWebGraphProgress"_s);
    m_status->setObjectName(u"lblWebGraphStatus"_s);
    m_start->setObjectName(u"cmdStart"_s);
    m_cancel->setObjectName(u"cmdCancel"_s);
    m_folder->setObjectName(u"cmdFolder"_s);
    m_close->setObjectName(u"cmdClose"_s);
    m_status->setWordWrap(true);
    m_progressText->setAccessibleName(u"Progress"_s);
    m_status->setAccessibleName(u"Status"_s);
    m_folder->setToolTip(u"Read releases downloaded by other means from a folder"_s);

    auto* form = new QFormLayout;
    auto* release = new QLabel(u"&Release:"_s, this);
    release->setBuddy(m_release);
    form->addRow(release, m_release);
    form->addRow(QString(), m_linking);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_start, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancel, QDialogButtonBox::ActionRole);
    buttons->addButton(m_folder, QDialogButtonBox::ActionRole);
    buttons->addButton(m_close, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_progress);
    layout->addWidget(m_progressText);
    layout->addWidget(m_status);
    layout->addWidget(buttons);

    connect(m_start, &QPushButton::clicked, this, &WebGraphDialog::start);
    connect(m_cancel, &QPushButton::clicked, this, &WebGraphDialog::cancel);
    connect(m_close, &QPushButton::clicked, this, &WebGraphDialog::reject);
    connect(m_folder, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, u"Folder of Web Graph Releases"_s);
        if (!folder.isEmpty())
            useFolder(folder);
    });
    m_progress->setRange(0, 1000);
    m_progress->setValue(0);
    setRunning(false);
    listReleases();
}

WebGraphDialog::~WebGraphDialog()
{
    m_stop = true;
    joinWorker();
}

void WebGraphDialog::useFolder(const QString& folder)
{
    if (isReading())
        return;
    m_sources.data = QUrl::fromLocalFile(folder);
    listReleases();
}

void WebGraphDialog::setRunning(bool running)
{
    m_start->setEnabled(!running && m_release->count() > 0);
    m_start->setDefault(!running);
    m_cancel->setVisible(running);
    m_folder->setEnabled(!running);
    m_release->setEnabled(!running && m_release->count() > 0);
    m_linking->setEnabled(!running);
}

void WebGraphDialog::runInThread(std::function<void(ReleaseReading&, const GraphDownload::StopRequested&)> work)
{
    m_stop = false;
    const QByteArray userAgent = "Brenlow/" + QCoreApplication::applicationVersion().toLatin1();
    m_worker.reset(QThread::create([this, userAgent, work = std::move(work)] {
        QNetworkAccessManager network;
        GraphDownload download(network, {userAgent});
        GraphNames names;
        ReleaseReading reading(download, names);
        work(reading, [this] { return m_stop.load(); });
    }));
    m_worker->start();
    setRunning(true);
}

void WebGraphDialog::joinWorker()
{
    if (m_worker) {
        m_worker->wait();
        m_worker.reset();
    }
}

void WebGraphDialog::listReleases()
{
    m_release->clear();
    m_releases.clear();
    m_status->setText(u"Reading the list of releases\u2026"_s);
    // A folder of downloaded releases needs no index.
    if (m_sources.data.isLocalFile()) {
        QList<GraphRelease> releases = graphindex::releasesInFolder(m_sources.data);
        m_releases = releases;
        for (const GraphRelease& release : std::as_const(releases))
            m_release->addItem(release.id);
        m_status->setText(releases.isEmpty()
                              ? u"%1 holds no release of the web graph."_s.arg(m_sources.data.toLocalFile())
                              : u"Releases in %1."_s.arg(m_sources.data.toLocalFile()));
        setRunning(false);
        return;
    }
    const QUrl index = m_sources.index;
    runInThread([this, index](ReleaseReading& reading, const GraphDownload::StopRequested& stop) {
        const auto releases = reading.releases(index, stop);
        const QString error = reading.error();
        QMetaObject::invokeMethod(
            this,
            [this, releases, error] {
                joinWorker();
                const QLocale& locale = m_session.countText().locale();
                if (releases) {
                    m_releases = *releases;
                    for (const GraphRelease& release : *releases)
                        m_release->addItem(releaseCaption(release, locale));
                    m_status->setText(releases->isEmpty() ? u"The index lists no release."_s : QString());
                } else {
                    m_status->setText(error.isEmpty() ? QString()
                                                      : u"The list of releases could not be read: %1."_s.arg(error));
                }
                setRunning(false);
            },
            Qt::QueuedConnection);
    });
}

void WebGraphDialog::start()
{
    const int chosen = m_release->currentIndex();
    if (isReading() || chosen < 0 || chosen >= m_releases.size())
        return;
    GraphRelease release = m_releases[chosen];
    const bool linking = m_linking->isChecked();
    const QList<QByteArray> listed = m_session.domains().distinctDomains();
    const QList<QByteArray> unread = m_session.history().domainsWithoutGraphFigures(release.id, listed, linking);
    if (listed.isEmpty() || unread.isEmpty()) {
        m_status->setText(listed.isEmpty() ? u"The list holds no domain."_s
                                           : u"Every domain has the figures of %1 already."_s.arg(release.id));
        return;
    }
    m_progress->setValue(0);
    m_progressText->clear();
    m_status->setText(m_paused.releaseId() == release.id ? u"Going on with %1\u2026"_s.arg(release.id)
                                                         : u"Reading %1\u2026"_s.arg(release.id));
    const QUrl data = m_sources.data;
    runInThread([this, release, data, unread, linking](ReleaseReading& reading,
                                                       const GraphDownload::StopRequested& stop) mutable {
        QElapsedTimer sinceFile;
        QElapsedTimer sinceShown;
        int file = -1;
        const auto progress = [&](const ReleaseReading::Progress& step) {
            if (int(step.file) != file) {
                file = int(step.file);
                sinceFile.start();
            } else if (sinceShown.isValid() && sinceShown.elapsed() < 200) {
                return;
            }
            sinceShown.start();
            const qint64 elapsed = sinceFile.elapsed();
            QMetaObject::invokeMethod(
                this, [this, step, elapsed] { showProgress(step, elapsed); }, Qt::QueuedConnection);
        };
        const auto figures = reading.read(release, data, unread, linking, progress, stop, &m_paused);
        const QString error = reading.error();
        const bool cancelled = reading.cancelled();
        QMetaObject::invokeMethod(
            this, [this, release, figures, error, cancelled] { finishReading(release, figures, error, cancelled); },
            Qt::QueuedConnection);
    });
}

void WebGraphDialog::showProgress(const ReleaseReading::Progress& progress, qint64 elapsedMs)
{
    m_progress->setValue(progress.size > 0 ? int(progress.done * 1000 / progress.size) : 0);
    m_progressText->setText(progressText(progress, elapsedMs));
}

void WebGraphDialog::finishReading(const GraphRelease& release,
                                   const std::optional<ReleaseReading::ListedFigures>& figures, const QString& error,
                                   bool cancelled)
{
    joinWorker();
    setRunning(false);
    if (!figures) {
        m_status->setText(
            cancelled ? u"Cancelled: nothing of %1 was kept yet; Start goes on from where it stopped."_s.arg(release.id)
                      : u"%1; nothing of %2 was kept."_s.arg(error, release.id));
        return;
    }
    if (!m_session.keepGraphFigures(release, *figures)) {
        m_status->setText(
            u"The figures of %1 could not be kept: %2."_s.arg(release.id, m_session.history().problemText()));
        return;
    }
    m_progress->setValue(m_progress->maximum());
    const auto found =
        std::count_if(figures->begin(), figures->end(), [](const auto& each) { return each.second.found; });
    const QLocale& locale = m_session.countText().locale();
    m_status->setText(u"%1: %2 of %3 domains are in the web graph."_s.arg(release.id, locale.toString(qint64(found)),
                                                                          locale.toString(figures->size())));
}

void WebGraphDialog::cancel()
{
    m_stop = true;
}

void WebGraphDialog::reject()
{
    // Closing ends a reading under way first; what it read is not kept.
    m_stop = true;
    joinWorker();
    setRunning(false);
    QDialog::reject();
}

void showWebGraphDialog(QWidget& window, ListSession& session, const WebGraphSources& sources)
{
    auto* dialog = window.findChild<WebGraphDialog*>(u"webGraphDialog"_s, Qt::FindDirectChildrenOnly);
    // Kept once made, hidden when closed, so that a reading cancelled or closed goes on at the next start.
    if (!dialog)
        dialog = new WebGraphDialog(session, sources, &window);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
