#include "WindowLook.h"

#include <QPalette>
#include <QScreen>
#include <QWidget>

namespace WindowLook {

void keepSelectionVisible(QWidget *control)
{
    QPalette palette = control->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    control->setPalette(palette);
}

void centreOnScreen(QWidget *window)
{
    if (const QScreen *s = window->screen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

} // namespace WindowLook
