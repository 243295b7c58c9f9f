#include "TBrowserPane.h"

#include "TBrowser.h"
#include "TbsSkinMessage.h"
#include "WidgetText.h"

#include <QKeyEvent>
#include <QLineEdit>

TBrowserPane::TBrowserPane(QLineEdit &address, TBrowser &browser, TbsSkinMessage &messages)
    : m_address(address), m_browser(browser), m_messages(messages)
{
}

void TBrowserPane::stopIfBusy()
{
    if (m_browser.Busy())
        m_browser.Stop();
}

void TBrowserPane::back()
{
    stopIfBusy();
    m_browser.GoBack();
}

void TBrowserPane::forward()
{
    stopIfBusy();
    m_browser.GoForward();
}

void TBrowserPane::refresh()
{
    stopIfBusy();
    // Reloading such a page sends the form again: on a forum, the same post
    // a second time.
    if (m_browser.ShowsFormAnswer()) {
        const int answer = m_messages.ShowMessageBox(
            "The page shown is the answer to a form you sent. Refreshing it sends the form again, "
            "so your post may appear twice.\n\nSend the form again?",
            TMsgKind::Confirmation, TMsgButton::OK | TMsgButton::Cancel, 0);
        if (answer != 1)
            return;
    }
    m_browser.Refresh();
}

void TBrowserPane::stop()
{
    stopIfBusy();
}

void TBrowserPane::go()
{
    m_browser.Navigate(m_address.text());
}

void TBrowserPane::addressKeyDown(const QKeyEvent &event)
{
    const bool enter = event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
    if (enter && !m_address.text().isEmpty())
        go();
}

void TBrowserPane::open(const std::string &address)
{
    m_address.setText(WidgetText::toWidget(address));
    stopIfBusy();
    go();
}
