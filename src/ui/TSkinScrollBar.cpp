#include "TSkinScrollBar.h"

#include <QAbstractScrollArea>

TSkinScrollBar::TSkinScrollBar(Qt::Orientation orientation, QWidget *parent) : QScrollBar(orientation, parent)
{
    setFocusPolicy(Qt::NoFocus);
}

QSize TSkinScrollBar::sizeHint() const
{
    QSize size = QScrollBar::sizeHint();
    if (orientation() == Qt::Vertical)
        size.setWidth(thickness);
    else
        size.setHeight(thickness);
    return size;
}

void TSkinScrollBar::installVertical(QAbstractScrollArea *area)
{
    auto *bar = new TSkinScrollBar(Qt::Vertical);
    bar->setObjectName(area->objectName() + QStringLiteral("ScrollBar"));
    area->setVerticalScrollBar(bar);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}
