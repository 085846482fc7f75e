#pragma once

#include <QString>

// Hands a web address to the user's default browser and returns at once; nothing is reported when no browser
// takes it.
class BrowserOpener {
public:
    virtual void openAddress(const QString& address) = 0;

protected:
    ~BrowserOpener() = default;
};

class QtBrowserOpener final : public BrowserOpener {
public:
    void openAddress(const QString& address) override;
};
