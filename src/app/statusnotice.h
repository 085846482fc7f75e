#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QLabel;
class QMessageBox;
class QPushButton;
class QStatusBar;

// Something the user should know that need not stop the work: a short line at the right of the status bar and a
// "Details…" button beside it that shows the whole text in a message box the window goes on working under. It
// stays until it is replaced or withdrawn. Its controls are named "lbl<name>Notice" and "cmd<name>Details".
class StatusNotice : public QObject {
    Q_OBJECT

public:
    // The full text, asked for when the user opens it, so that it says how things stand then.
    using Details = std::function<QString()>;

    StatusNotice(QStatusBar& statusBar, const QString& name);

    void show(const QString& line, Details details);
    void clear();
    bool isShown() const;
    QString line() const;
    // Opens the full text, or brings it forward with the text of now.
    void showDetails();

private:
    QLabel* m_line;
    QPushButton* m_details;
    Details m_text;
    QPointer<QMessageBox> m_box;
};
