#include "FooterLinks.h"

#include "TDockLayout.h"
#include "WidgetText.h"

#include <QDesktopServices>
#include <QLabel>
#include <QUrl>

namespace FooterLinks {
namespace {

// The form data keeps a label's address in this property.
constexpr char AddressProperty[] = "url";

} // namespace

void set(QLabel *label, const std::string &caption, const std::string &address)
{
    label->setText(WidgetText::toWidget(caption));
    label->setProperty(AddressProperty, WidgetText::toWidget(address));
    // The label is as wide as its caption, so only the caption takes clicks;
    // the right-hand label grows to the left.
    const int width = caption.empty() ? 0 : label->sizeHint().width();
    TDockLayout::resizeChild(label, QSize(width, label->height()));
}

std::string address(const QLabel *label)
{
    return WidgetText::fromWidget(label->property(AddressProperty).toString());
}

void open(const QLabel *label)
{
    const QString text = label->property(AddressProperty).toString();
    if (text.isEmpty())
        return;
    // Whatever the handler answers is of no concern here.
    QDesktopServices::openUrl(QUrl::fromUserInput(text));
}

} // namespace FooterLinks
