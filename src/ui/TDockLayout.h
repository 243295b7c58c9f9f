#pragma once

#include <QLayout>
#include <QList>
#include <QRect>

class QWidget;

// Places a container's children the way the form data describes them: a child
// with the dynamic property "dock" (top, bottom, left, right, client) is glued to
// that side of what is left of the container, in that order; a child with the
// property "anchors" (a comma-separated set of left, top, right, bottom) keeps
// its distance to each edge it names, so anchoring left and right stretches it.
// Children without either property keep their place from the form data.
// Distances are taken from the container's size in the form data, or from its
// "designSize" property where the container's size is not its own (a tab page).
class TDockLayout : public QLayout {
    Q_OBJECT
public:
    enum class Dock { None, Top, Bottom, Left, Right, Client };
    enum Anchor { Left = 1, Top = 2, Right = 4, Bottom = 8 };

    explicit TDockLayout(QWidget *container, QSize designSize);
    ~TDockLayout() override;

    // Gives every widget under root whose children carry "dock" or "anchors" a
    // TDockLayout. Call it right after setupUi, while every widget still has the
    // place the form data gave it.
    static void install(QWidget *root);

    // Gives a child a new size, as a control that sizes itself to its content
    // does: one anchored to the right edge only keeps its right edge, any
    // other its left. The layout keeps the new size from then on.
    static void resizeChild(QWidget *child, QSize size);

    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    struct Placed {
        QLayoutItem *item;
        Dock dock;
        int anchors;
        QRect design;
    };

    void addPlaced(QWidget *child);

    QSize m_design;
    QList<Placed> m_items;
};
