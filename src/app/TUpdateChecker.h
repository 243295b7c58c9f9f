#pragma once

#include "THttpClient.h"

#include <QObject>
#include <QPointer>

#include <filesystem>
#include <string>

class QAbstractButton;
class QWidget;
class TbsSkinMessage;

// Runs the update check for the main window: asks through its message box,
// keeps the window handling its events while the transfer waits, starts the
// updater and closes the window when the user agrees. One check runs at a
// time; "Check Updates" is disabled while it does. Closing the window stops a
// running transfer at its next slice.
class TUpdateChecker : public QObject {
public:
    TUpdateChecker(QWidget &window, std::filesystem::path appDir, TbsSkinMessage &messageBox,
                   QAbstractButton &button);

    // silent leaves out the message that no update is there. Returns at once
    // when a check is already running.
    void CheckForUpdates(bool silent);
    bool running() const { return m_running; }

    // Where checks look and how they find the server's address. The program
    // uses the built-in base address and the system's resolver; tests point
    // both at their own server.
    struct Network {
        std::string baseUrl;
        THttpClient::Resolver resolver;
    };
    static void setNetwork(Network network);
    static const Network &network();

    // The user's decimal separator, as the window's locale gives it.
    static char decimalSeparator();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    std::filesystem::path m_appDir;
    QPointer<TbsSkinMessage> m_messageBox;
    QPointer<QAbstractButton> m_button;
    // Cookies live as long as the window, that is for the run.
    THttpCookies m_cookies;
    bool m_running = false;
    bool m_closing = false;
};
