#include "app/aboutbox.h"

#include "app/browseropener.h"
#include "app/centreform.h"
#include "domains/productsite.h"
#include "version.h"

#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

QString VersionText(int major, int minor, int revision)
{
    const auto twoDigits = [](int number) { return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0')); };
    QString text = twoDigits(major) + u'.' + twoDigits(minor);
    if (revision >= 1)
        text += u'.' + twoDigits(revision);
    return text;
}

QString VersionText()
{
    return VersionText(BRENLOW_VERSION_MAJOR, BRENLOW_VERSION_MINOR, BRENLOW_VERSION_PATCH);
}

AboutBox::AboutBox(const QString& appTitle, const QIcon& icon, BrowserOpener& browser, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
    , m_browser(browser)
    , m_lblProductName(new QLabel(appTitle, this))
    , m_lblDescription(new QLabel(appTitle + u' ' + QStringLiteral(BRENLOW_DESCRIPTION), this))
    , m_lblCopyright(new QLabel(QStringLiteral(BRENLOW_COPYRIGHT), this))
    , m_lblVersion(new QLabel(u"Version "_s + VersionText(), this))
    , m_lblCompanyName(new QLabel(appTitle, this))
    , m_picIcon(new QLabel(this))
    , m_webLink(new QLabel(this))
    , m_cmdOK(new QPushButton(u"OK"_s, this))
{
    setWindowTitle(u"About "_s + appTitle);
    setModal(true);
    m_lblProductName->setObjectName(u"lblProductName"_s);
    m_lblDescription->setObjectName(u"lblDescription"_s);
    m_lblCopyright->setObjectName(u"lblCopyright"_s);
    m_lblVersion->setObjectName(u"lblVersion"_s);
    m_lblCompanyName->setObjectName(u"lblCompanyName"_s);
    m_picIcon->setObjectName(u"picIcon"_s);
    m_webLink->setObjectName(u"WebLink0"_s);
    m_cmdOK->setObjectName(u"cmdOK"_s);

    QFont nameFont = m_lblProductName->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
    nameFont.setBold(true);
    m_lblProductName->setFont(nameFont);
    m_picIcon->setPixmap(icon.pixmap(64, 64));
    m_picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    const QString home = QString::fromLatin1(ProductSite::HomePage);
    m_webLink->setText(u"<a href=\"%1\">%1</a>"_s.arg(home.toHtmlEscaped()));
    m_webLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(m_webLink, &QLabel::linkActivated, this, [this] { WebLink_Click(0); });
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, &AboutBox::cmdOK_Click);

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(16);
    layout->addWidget(m_picIcon, 0, 0, 6, 1);
    layout->addWidget(m_lblProductName, 0, 1);
    layout->addWidget(m_lblVersion, 1, 1);
    layout->addWidget(m_lblDescription, 2, 1);
    layout->addWidget(m_lblCopyright, 3, 1);
    layout->addWidget(m_lblCompanyName, 4, 1);
    layout->addWidget(m_webLink, 5, 1);
    layout->addWidget(m_cmdOK, 6, 1, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    adjustSize();
    CentreForm(*this, 0);
}

void AboutBox::WebLink_Click(int index)
{
    if (index == 0)
        m_browser.openAddress(QString::fromLatin1(ProductSite::HomePage));
}
