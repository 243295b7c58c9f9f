#include "EventHooks.h"

#include "ErrorHandler.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <memory>
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

void onClick(QWidget *widget, std::function<void()> handler)
{
    auto pressed = std::make_shared<bool>(false);
    new Hook(widget, QEvent::MouseButtonPress, [pressed](QEvent &event) {
        *pressed = static_cast<const QMouseEvent &>(event).button() == Qt::LeftButton;
    });
    new Hook(widget, QEvent::MouseButtonRelease,
             [widget, pressed, handler = std::move(handler)](QEvent &event) {
                 const auto &mouse = static_cast<const QMouseEvent &>(event);
                 const bool click = *pressed && mouse.button() == Qt::LeftButton &&
                                    widget->rect().contains(mouse.position().toPoint());
                 *pressed = false;
                 if (click)
                     handler();
             });
}

} // namespace EventHooks
