#pragma once

#include <QDialog>

class BrowserOpener;
class QLabel;
class QPushButton;

// "01.01" for version 1.1, "01.01.03" with revision 3: each number with at least two digits, the revision
// only when it is 1 or more.
QString VersionText(int major, int minor, int revision);
// The program's own version.
QString VersionText();

// The about box: the product's name, version, description and copyright, the main window's icon and a link to
// the product web site, centred on the screen and above every other window. Its controls carry their names as
// object names ("lblVersion", "WebLink0", "cmdOK").
class AboutBox : public QDialog {
    Q_OBJECT

public:
    AboutBox(const QString& appTitle, const QIcon& icon, BrowserOpener& browser, QWidget* parent = nullptr);

    void cmdOK_Click() { accept(); }
    void WebLink_Click(int index);

private:
    BrowserOpener& m_browser;
    QLabel* m_lblProductName;
    QLabel* m_lblDescription;
    QLabel* m_lblCopyright;
    QLabel* m_lblVersion;
    QLabel* m_lblCompanyName;
    QLabel* m_picIcon;
    QLabel* m_webLink;
    QPushButton* m_cmdOK;
};
