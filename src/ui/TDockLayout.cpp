#include "TDockLayout.h"

#include <QVariant>
#include <QWidget>
#include <QWidgetItem>

#include <algorithm>

namespace {

TDockLayout::Dock dockOf(const QWidget *w)
{
    const QString d = w->property("dock").toString().trimmed().toLower();
    if (d == QLatin1String("top"))
        return TDockLayout::Dock::Top;
    if (d == QLatin1String("bottom"))
        return TDockLayout::Dock::Bottom;
    if (d == QLatin1String("left"))
        return TDockLayout::Dock::Left;
    if (d == QLatin1String("right"))
        return TDockLayout::Dock::Right;
    if (d == QLatin1String("client"))
        return TDockLayout::Dock::Client;
    return TDockLayout::Dock::None;
}

int anchorsOf(const QWidget *w)
{
    const QVariant v = w->property("anchors");
    if (!v.isValid())
        return TDockLayout::Left | TDockLayout::Top;
    int a = 0;
    for (const QString &part : v.toString().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString p = part.trimmed().toLower();
        if (p == QLatin1String("left"))
            a |= TDockLayout::Left;
        else if (p == QLatin1String("top"))
            a |= TDockLayout::Top;
        else if (p == QLatin1String("right"))
            a |= TDockLayout::Right;
        else if (p == QLatin1String("bottom"))
            a |= TDockLayout::Bottom;
    }
    return a;
}

bool isPlaced(const QWidget *w)
{
    return w->property("dock").isValid() || w->property("anchors").isValid();
}

// One axis of an anchored child: its start and length for a container that grew by delta.
void anchorAxis(int &start, int &length, bool nearEdge, bool farEdge, int delta)
{
    if (nearEdge && farEdge)
        length += delta;
    else if (farEdge)
        start += delta;
    else if (!nearEdge)
        start += delta / 2; // anchored to neither edge: keeps its place relative to the centre
}

} // namespace

TDockLayout::TDockLayout(QWidget *container, QSize designSize) : QLayout(container), m_design(designSize)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
    // The container's size is set by its own parent; the layout must not impose one.
    setSizeConstraint(QLayout::SetNoConstraint);
}

TDockLayout::~TDockLayout()
{
    for (const Placed &p : std::as_const(m_items))
        delete p.item;
}

void TDockLayout::install(QWidget *root)
{
    QList<QWidget *> containers{root};
    containers += root->findChildren<QWidget *>();
    for (QWidget *container : std::as_const(containers)) {
        const auto children = container->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        if (std::none_of(children.begin(), children.end(), isPlaced) || container->layout())
            continue;
        const QVariant designSize = container->property("designSize");
        auto *layout = new TDockLayout(container, designSize.isValid() ? designSize.toSize() : container->size());
        for (QWidget *child : children)
            if (isPlaced(child))
                layout->addPlaced(child);
    }
}

void TDockLayout::resizeChild(QWidget *child, QSize size)
{
    auto *layout = child->parentWidget() ? qobject_cast<TDockLayout *>(child->parentWidget()->layout()) : nullptr;
    auto placed = layout ? std::find_if(layout->m_items.begin(), layout->m_items.end(),
                                        [child](const Placed &p) { return p.item->widget() == child; })
                         : QList<Placed>::iterator();
    if (!layout || placed == layout->m_items.end()) {
        QRect g = child->geometry();
        child->setGeometry(g.x(), g.y(), size.width(), size.height());
        return;
    }
    QRect &design = placed->design;
    const bool keepRight = (placed->anchors & Right) && !(placed->anchors & Left);
    const int right = design.x() + design.width();
    design.setSize(size);
    if (keepRight)
        design.moveLeft(right - size.width());
    const QRect now = child->geometry();
    const int nowRight = now.x() + now.width();
    child->setGeometry(keepRight ? nowRight - size.width() : now.x(), now.y(), size.width(), size.height());
    layout->invalidate();
}

void TDockLayout::addPlaced(QWidget *child)
{
    addChildWidget(child);
    m_items.append({new QWidgetItem(child), dockOf(child), anchorsOf(child), child->geometry()});
    invalidate();
}

void TDockLayout::addItem(QLayoutItem *item)
{
    QRect design = item->widget() ? item->widget()->geometry() : item->geometry();
    m_items.append({item, Dock::None, Left | Top, design});
}

QLayoutItem *TDockLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index].item : nullptr;
}

QLayoutItem *TDockLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    return m_items.takeAt(index).item;
}

int TDockLayout::count() const { return int(m_items.size()); }

QSize TDockLayout::sizeHint() const { return m_design; }

QSize TDockLayout::minimumSize() const { return QSize(0, 0); }

void TDockLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    QWidget *container = parentWidget();
    if (!container)
        return;

    // Docked children, side by side in the order the form data places them.
    QList<const Placed *> docked;
    for (const Placed &p : std::as_const(m_items))
        if (p.dock != Dock::None && !p.item->isEmpty())
            docked.append(&p);
    auto rank = [](const Placed *p) {
        switch (p->dock) {
        case Dock::Top: return std::make_pair(0, p->design.top());
        case Dock::Bottom: return std::make_pair(1, -p->design.bottom());
        case Dock::Left: return std::make_pair(2, p->design.left());
        case Dock::Right: return std::make_pair(3, -p->design.right());
        default: return std::make_pair(4, 0);
        }
    };
    std::stable_sort(docked.begin(), docked.end(), [&](auto *a, auto *b) { return rank(a) < rank(b); });

    QRect client = container->contentsRect();
    for (const Placed *p : std::as_const(docked)) {
        QWidget *w = p->item->widget();
        const int h = w ? w->height() : p->design.height();
        const int wd = w ? w->width() : p->design.width();
        QRect g;
        switch (p->dock) {
        case Dock::Top:
            g = QRect(client.left(), client.top(), client.width(), h);
            client.setTop(client.top() + h);
            break;
        case Dock::Bottom:
            g = QRect(client.left(), client.bottom() + 1 - h, client.width(), h);
            client.setBottom(client.bottom() - h);
            break;
        case Dock::Left:
            g = QRect(client.left(), client.top(), wd, client.height());
            client.setLeft(client.left() + wd);
            break;
        case Dock::Right:
            g = QRect(client.right() + 1 - wd, client.top(), wd, client.height());
            client.setRight(client.right() - wd);
            break;
        default:
            g = client;
            break;
        }
        if (w)
            w->setGeometry(g);
        else
            p->item->setGeometry(g);
    }

    // Anchored children keep their distances to the edges they name.
    const int dx = container->width() - m_design.width();
    const int dy = container->height() - m_design.height();
    for (const Placed &p : std::as_const(m_items)) {
        if (p.dock != Dock::None)
            continue;
        int x = p.design.x(), y = p.design.y(), w = p.design.width(), h = p.design.height();
        anchorAxis(x, w, p.anchors & Left, p.anchors & Right, dx);
        anchorAxis(y, h, p.anchors & Top, p.anchors & Bottom, dy);
        if (QWidget *widget = p.item->widget())
            widget->setGeometry(x, y, std::max(0, w), std::max(0, h));
    }
}
