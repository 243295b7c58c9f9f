#include "WindowLook.h"

#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace WindowLook {

void keepSelectionVisible(QWidget *control)
{
    QPalette palette = control->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    control->setPalette(palette);
}

void fitLabels(QWidget *form)
{
    for (QLabel *label : form->findChildren<QLabel *>()) {
        const int needed = label->sizeHint().width();
        if (label->width() < needed)
            label->resize(needed, label->height());
    }
}

} // namespace WindowLook
