#include "EventHooks.h"

#include "ErrorHandler.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace EventHooks {
namespace {

class Hook : public QObject {
public:
    Hook(QWidget *widget, QEvent::Type type, std::function<void(QEvent &)> handler)
        : QObject(widget), m_type(type), m_handler(std::move(handler))
    {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == m_type)
            ErrorHandler::run([&] { m_handler(*event); });
        return false;
    }

private:
    QEvent::Type m_type;
    std::function<void(QEvent &)> m_handler;
};

} // namespace

void onKeyDown(QWidget *widget, std::function<void(const QKeyEvent &)> handler)
{
    new Hook(widget, QEvent::KeyPress, [handler = std::move(handler)](QEvent &event) {
        handler(static_cast<const QKeyEvent &>(event));
    });
}

void onDoubleClick(QWidget *widget, std::function<void()> handler)
{
    new Hook(widget, QEvent::MouseButtonDblClick, [handler = std::move(handler)](QEvent &) { handler(); });
}

} // namespace EventHooks
