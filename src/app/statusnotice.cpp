#include "app/statusnotice.h"

#include "app/apptitle.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

using namespace Qt::StringLiterals;

StatusNotice::StatusNotice(QStatusBar& statusBar, const QString& name)
    : QObject(&statusBar)
    , m_line(new QLabel(&statusBar))
    , m_details(new QPushButton(u"Details\u2026"_s, &statusBar))
{
    m_line->setObjectName(u"lbl"_s + name + u"Notice"_s);
    m_details->setObjectName(u"cmd"_s + name + u"Details"_s);
    m_details->setAccessibleDescription(u"Shows the whole message"_s);
    // Permanent widgets stay when the status bar shows a passing message, and keep their places at the right.
    statusBar.addPermanentWidget(m_line);
    statusBar.addPermanentWidget(m_details);
    m_line->hide();
    m_details->hide();
    connect(m_details, &QPushButton::clicked, this, &StatusNotice::showDetails);
}

void StatusNotice::show(const QString& line, Details details)
{
    m_text = std::move(details);
    m_line->setText(line);
    m_line->show();
    m_details->show();
    if (m_box)
        m_box->setText(m_text());
}

void StatusNotice::clear()
{
    m_line->hide();
    m_details->hide();
    m_line->clear();
    if (m_box)
        m_box->close();
}

bool StatusNotice::isShown() const
{
    return !m_line->isHidden();
}

QString StatusNotice::line() const
{
    return isShown() ? m_line->text() : QString();
}

void StatusNotice::showDetails()
{
    if (!isShown())
        return;
    if (!m_box) {
        m_box = new QMessageBox(QMessageBox::Warning, ApplicationTitle, QString(), QMessageBox::Ok, m_line->window());
        m_box->setObjectName(m_details->objectName() + u"Box"_s);
        m_box->setAttribute(Qt::WA_DeleteOnClose);
        // The window, and an update run, go on while it is open.
        m_box->setWindowModality(Qt::NonModal);
    }
    m_box->setText(m_text());
    m_box->show();
    m_box->raise();
    m_box->activateWindow();
}
