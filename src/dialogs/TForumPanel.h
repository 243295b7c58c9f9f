#pragma once

#include <optional>

#include "UForums.h"

class QKeyEvent;
class QLineEdit;
class QListWidget;
class TBrowserPane;

// The "Your Forums" tab. Row i of the list box shows forum i of the forum list.
// While a row is selected, the user name and password edits show its forum's
// values and every change to them is written into that forum; with no row
// selected they hold free text for the next forum added. Every change to a
// forum is saved at once; showing one, or typing free text, writes nothing.
class TForumPanel {
public:
    TForumPanel(TForums &forums, QListWidget &list, QLineEdit &username, QLineEdit &password,
                QLineEdit &address, TBrowserPane &pane);

    // Adds the address box's address, with the two edits' texts, at the top;
    // the selected row keeps its forum selected.
    void addCurrentUrl();
    // Removes the selected forum, if any, then empties the edits and saves.
    void removeSelected();
    // Delete, with any modifier keys, removes.
    void listKeyDown(const QKeyEvent &event);
    // Shows the selected forum's user name and password; gives that forum, or
    // nothing when no row is selected.
    std::optional<TForum> showSelected();
    // Shows the selected forum and opens its address in the browser pane.
    void openSelected();
    void usernameChanged();
    void passwordChanged();

private:
    void editChanged(std::string TForum::*field, const QLineEdit &edit);

    TForums &m_forums;
    QListWidget &m_list;
    QLineEdit &m_username;
    QLineEdit &m_password;
    QLineEdit &m_address;
    TBrowserPane &m_pane;
};
