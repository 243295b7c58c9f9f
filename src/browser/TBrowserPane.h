#pragma once

#include <string>

class QKeyEvent;
class QLineEdit;
class TBrowser;
class TbsSkinMessage;

// The browser pane's commands: the address box with "Go!", and Back, Forward,
// Refresh and Stop over the embedded browser. Nothing the browser does changes
// the address box; only the user and the forum list write into it.
class TBrowserPane {
public:
    // Questions go to the user through messages.
    TBrowserPane(QLineEdit &address, TBrowser &browser, TbsSkinMessage &messages);

    // Each stops a page that is still loading first.
    void back();
    void forward();
    // A page that answers a form sent with POST reloads only when the user
    // agrees to send the form again.
    void refresh();
    void stop();
    // Opens the address box's text as it stands, whatever is loading.
    void go();
    // Enter, with any modifier keys, in a box that is not empty does what "Go!" does.
    void addressKeyDown(const QKeyEvent &event);
    // Puts address into the address box, stops a page that is still loading,
    // and opens the box's text.
    void open(const std::string &address);

private:
    void stopIfBusy();

    QLineEdit &m_address;
    TBrowser &m_browser;
    TbsSkinMessage &m_messages;
};
