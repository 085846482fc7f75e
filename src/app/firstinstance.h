#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

// The Brenlow that holds a list listens on a local socket named after that list, in the user's runtime folder, so
// that a later start over the same list can ask it to come forward before telling its own user why it ends.
class FirstInstance : public QObject {
public:
    // Listens for calls about the list at listPath; comeForward runs on each.
    FirstInstance(const QString& listPath, std::function<void()> comeForward, QObject* parent = nullptr);

    // Asks the Brenlow that holds the list at listPath to come forward; true once it has answered that it does,
    // false when none answers within a second.
    static bool callForward(const QString& listPath);

private:
    void answer();

    QLocalServer* m_server;
    std::function<void()> m_comeForward;
};
