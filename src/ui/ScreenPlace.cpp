#include "ScreenPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ScreenPlace {

QScreen *screenOf(const QWidget *window)
{
    if (QScreen *s = window->screen())
        return s;
    return QGuiApplication::primaryScreen();
}

void centreOnScreen(QWidget *window)
{
    if (const QScreen *s = screenOf(window)) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

} // namespace ScreenPlace
