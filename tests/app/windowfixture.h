#pragma once

#include "app/browseropener.h"
#include "app/mainwindow.h"
#include "app/program.h"
#include "grid/gridwidget.h"
#include "support/fakedialogs.h"
#include "support/httptestserver.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

class RecordingBrowser final : public BrowserOpener {
public:
    void openAddress(const QString& address) override { addresses.append(address); }
    QStringList addresses;
};

// The whole program on the offscreen platform: its list file in a temporary directory, every engine host sent
// to a loopback server, dialogs answered by the test, addresses recorded instead of opened, counts in
// m_locale (English, United States, unless the test says otherwise). Pop-up menus are recorded too, and the item the
// test names is chosen from them.
class WindowTest : public ::testing::Test {
protected:
    QString listPath() const { return m_dir.filePath(QStringLiteral("brenlow.txt")); }

    void writeList(const QByteArray& listFile)
    {
        QFile file(listPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(listFile), listFile.size());
    }

    void start(const QByteArray& listFile)
    {
        writeList(listFile);
        ProgramOptions options;
        options.listFilePath = listPath();
        options.socketSettings = m_server.settings();
        options.dialogs = &m_dialogs;
        options.browser = &m_browser;
        options.locale = m_locale;
        options.settingsFile = m_dir.filePath(QStringLiteral("settings.ini"));
        const QString server = QStringLiteral("http://127.0.0.1:%1/").arg(m_server.port());
        options.webGraph = {QUrl(server + QStringLiteral("graphinfo.json")), QUrl(server)};
        options.availableArea = m_availableArea;
        m_program = std::make_unique<Program>(std::move(options));
        m_program->start();
        QObject::connect(&window(), &MainWindow::progressChanged,
                         [this](const QString& text) { m_progress.append(text); });
        window().setPopupMenuShower([this](QMenu& menu, QPoint position) {
            m_popupPositions.append(position);
            QStringList captions;
            for (const QAction* action : menu.actions())
                captions.append(action->isSeparator() ? QStringLiteral("-") : action->text());
            m_popups.append(captions);
            if (QAction* chosen = std::exchange(m_choice, nullptr))
                chosen->trigger();
        });
    }

    QByteArray listFile() const
    {
        QFile file(listPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    MainWindow& window() { return m_program->frmMain(); }
    // The window's controls and menu items by their object names, as a user finds them by what they are.
    template <typename Control> Control& control(const std::string& name)
    {
        Control* found = window().findChild<Control*>(QString::fromStdString(name));
        if (!found)
            throw std::runtime_error("the window has no " + name);
        return *found;
    }
    QPushButton& button(const std::string& name) { return control<QPushButton>(name); }
    QAction& action(const std::string& name) { return control<QAction>(name); }
    QLabel& label(const std::string& name) { return control<QLabel>(name); }
    GridWidget& grid() { return control<GridWidget>("grdUrls"); }
    QString cell(int row, int col) { return grid().TextMatrix(row, col); }

    QStringList rowTexts(int row)
    {
        QStringList texts;
        for (int col = 0; col < 7; ++col)
            texts.append(cell(row, col));
        return texts;
    }

    // Runs events until condition holds, for at most timeoutMs; whether it came to hold. QtTest's QTRY macros
    // tell a failure to QtTest alone, and return, so that a GoogleTest test would pass: waits go through here.
    static bool eventually(const std::function<bool()>& condition, int timeoutMs = 20000)
    {
        return QTest::qWaitFor(condition, timeoutMs);
    }

    // Runs action from the event loop as soon as condition holds, checking while the program waits for the network.
    void whenever(std::function<bool()> condition, std::function<void()> action)
    {
        auto* timer = new QTimer(&window());
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, condition, action] {
            if (condition()) {
                timer->stop();
                action();
            }
        });
        timer->start();
    }

    // A press at a point of reference, and its release unless a real pop-up menu would take it. Like the window
    // system, it goes to the widget that is really under the point.
    void press(QWidget& reference, QPoint point, Qt::MouseButton button = Qt::RightButton, bool release = true)
    {
        QWidget& top = *reference.window();
        const QPoint inTop = reference.mapTo(&top, point);
        QWidget* target = top.childAt(inTop);
        ASSERT_NE(target, nullptr);
        const QPoint local = target->mapFrom(&top, inTop);
        QTest::mousePress(target, button, {}, local);
        if (release)
            QTest::mouseRelease(target, button, {}, local);
    }

    // The controls as they are outside a run (the progress label, blank before the first run, aside).
    bool isIdle()
    {
        return !window().isUpdating() && button("cmdUpdate0").isVisible() && button("cmdUpdate1").isVisible() &&
               !button("cmdCancelUpdate").isVisible() && button("cmdAddDomain").isEnabled() &&
               button("cmdRemoveDomain").isEnabled() && button("cmdExit").isEnabled() &&
               action("mnuFileExit").isEnabled() && action("mnuFileImportUrls").isEnabled() &&
               action("mnuGridMenuRemove").isEnabled() && action("mnuGridMenuUpdate").isEnabled();
    }

    QLocale m_locale{QLocale::English, QLocale::UnitedStates};
    // A screen with room for the window's design at every density the tests run at, unless the test sets another.
    AvailableArea m_availableArea = [](const QWidget&) { return QRect(0, 0, 1920, 1080); };
    QTemporaryDir m_dir;
    HttpTestServer m_server;
    FakeDialogs m_dialogs;
    std::unique_ptr<Program> m_program;
    QStringList m_progress;
    RecordingBrowser m_browser;
    QList<QStringList> m_popups;    // the captions of every pop-up menu shown
    QList<QPoint> m_popupPositions; // and where each was shown
    QAction* m_choice = nullptr;    // chosen from the next pop-up menu
};
