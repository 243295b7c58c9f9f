#pragma once

#include "TPostMarks.h"
#include "UForums.h"

#include <QIcon>
#include <QList>
#include <QObject>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAbstractButton;
class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QUrl;
class TBrowserHost;

// The controls a posting run works with.
struct PostingControls {
    QListWidget &list;
    QLineEdit &subject;
    QPlainTextEdit &body;
    // Where the run says what its commands did.
    QLabel &status;
    TBrowserHost &browser;
    // The buttons that put the message into the page.
    QList<QAbstractButton *> inserting;
};

// What the forum list itself already does with its selected forum.
struct ForumCommands {
    std::function<void()> open;
    std::function<void()> remove;
};

// Posting one message to forum after forum: the forum list's context menu
// (open, log in, next forum, copy, remove) and its shortcuts, the login fill,
// and the marks on the forums that the message went to. A forum is marked when
// a form is sent from its page after the message was put into that page; the
// post goes into "PostLog.dat". Every mark goes when the subject or the body
// changes.
class TPostingRun : public QObject {
    Q_OBJECT
public:
    TPostingRun(TForums &forums, std::filesystem::path appDir, PostingControls controls,
                ForumCommands commands);
    ~TPostingRun() override;

    // The selected forum's user name and password into the shown page's login
    // form; nothing is sent.
    void logInHere();
    // Opens the selected forum, and fills its login form once the page is there.
    void openAndLogIn();
    // Selects and opens the next forum in list order that is not marked.
    void nextForum();
    // The selected forum's address onto the clipboard.
    void copyAddress();

private:
    QAction *addCommand(const char *name, const QString &text, const QKeySequence &shortcut,
                        std::function<void()> command);
    void messageInserted();
    void messageChanged();
    void formSubmitted(const QUrl &page);
    void loadStarted();
    void loadFinished(bool ok);
    void fillLogin(const TForum &forum);
    std::optional<int> selectedForum();
    std::vector<std::string> sites() const;
    void showMarks();
    void say(const QString &text);

    TForums &m_forums;
    std::filesystem::path m_appDir;
    PostingControls m_controls;
    ForumCommands m_commands;
    TPostMarks m_marks;
    QIcon m_markIcon;
    // The forum whose login form is filled once its page has loaded; started
    // once that page has begun to load.
    struct PendingLogin {
        TForum forum;
        bool started = false;
    };
    std::optional<PendingLogin> m_pendingLogin;
};
