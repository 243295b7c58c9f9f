#include "ScreenPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace ScreenPlace {

QScreen *screenOf(const QWidget *window)
{
    // A dialog that is not shown yet will open on its owner's screen.
    if (!window->windowHandle() && window->parentWidget())
        return screenOf(window->parentWidget()->window());
    if (QScreen *s = window->screen())
        return s;
    return QGuiApplication::primaryScreen();
}

void centreOnScreen(QWidget *widget)
{
    // A window in a skinned frame is placed by its frame.
    QWidget *window = widget->window();
    if (const QScreen *s = screenOf(window)) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

} // namespace ScreenPlace
