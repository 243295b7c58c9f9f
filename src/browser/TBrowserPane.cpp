#include "TBrowserPane.h"

#include "TEmbeddedWB.h"
#include "WidgetText.h"

#include <QKeyEvent>
#include <QLineEdit>

TBrowserPane::TBrowserPane(QLineEdit &address, TEmbeddedWB &browser) : m_address(address), m_browser(browser)
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
