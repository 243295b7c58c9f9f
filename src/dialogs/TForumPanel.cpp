#include "TForumPanel.h"

#include "ListBox.h"
#include "SingleLine.h"
#include "TBrowserPane.h"
#include "WidgetText.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

TForumPanel::TForumPanel(TForums &forums, QListWidget &list, QLineEdit &username, QLineEdit &password,
                         QLineEdit &address, TBrowserPane &pane)
    : m_forums(forums), m_list(list), m_username(username), m_password(password), m_address(address),
      m_pane(pane)
{
    ListBox::keepSelectionOnEmptySpace(&m_list);
    ListBox::keepExactlyOneSelected(&m_list);
}

void TForumPanel::addCurrentUrl()
{
    const QString url = m_address.text();
    if (url.isEmpty())
        return;
    auto forum = std::make_unique<TForum>();
    forum->URL = WidgetText::fromWidget(url);
    forum->Username = WidgetText::fromWidget(m_username.text());
    forum->Password = WidgetText::fromWidget(m_password.text());
    std::string entry = forum->URL;
    m_forums.insert(0, std::move(entry), std::move(forum));
    {
        // The list box keeps the selection on the row that moves down. On the
        // way it reports a change of selection with the rows not yet moved;
        // the user changed nothing, so nothing is shown.
        const QSignalBlocker quiet(&m_list);
        m_list.insertItem(0, url);
    }
    m_forums.SaveAll();
}

void TForumPanel::removeSelected()
{
    const int p = ListBox::selectedRow(&m_list);
    if (p >= 0) {
        m_forums.remove(p);
        // Cleared first, so that removing the row selects no other one.
        ListBox::clearSelection(&m_list);
        delete m_list.takeItem(p);
    }
    // No row is selected now, so these changes write into no forum.
    m_username.clear();
    m_password.clear();
    // With no forum removed the file would only be written again unchanged.
    if (p >= 0)
        m_forums.SaveAll();
}

void TForumPanel::listKeyDown(const QKeyEvent &event)
{
    if (event.key() == Qt::Key_Delete)
        removeSelected();
}

std::optional<TForum> TForumPanel::showSelected()
{
    const int p = ListBox::selectedRow(&m_list);
    if (p < 0)
        return std::nullopt;
    // A copy: each assignment runs a change handler that writes into the forum.
    const TForum forum = m_forums.record(p);
    m_username.setText(WidgetText::toWidget(forum.Username));
    m_password.setText(WidgetText::toWidget(forum.Password));
    return forum;
}

void TForumPanel::openSelected()
{
    if (const auto forum = showSelected())
        m_pane.open(forum->URL);
}

void TForumPanel::editChanged(std::string TForum::*field, const QLineEdit &edit)
{
    // Free text while no forum is selected: nothing to store.
    const int p = ListBox::selectedRow(&m_list);
    if (p < 0)
        return;
    std::string &stored = m_forums.record(p).*field;
    // Showing a forum puts its own value into the edit, which is no change to
    // store. Compared as the edit shows the value, so that bytes the edit
    // cannot show exactly, and line breaks it cannot hold, stay as they are
    // until the user edits the text.
    if (edit.text() == SingleLine::withoutLineBreaks(WidgetText::toWidget(stored)))
        return;
    stored = WidgetText::fromWidget(edit.text());
    m_forums.SaveAll();
}

void TForumPanel::usernameChanged()
{
    editChanged(&TForum::Username, m_username);
}

void TForumPanel::passwordChanged()
{
    editChanged(&TForum::Password, m_password);
}
