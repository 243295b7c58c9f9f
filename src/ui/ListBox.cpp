#include "ListBox.h"

#include <QListWidget>
#include <QMouseEvent>

namespace ListBox {
namespace {

class EmptySpaceClicks : public QObject {
public:
    explicit EmptySpaceClicks(QListWidget *list) : QObject(list), m_list(list)
    {
        list->viewport()->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            m_eaten = !m_list->indexAt(mouse->position().toPoint()).isValid();
            if (m_eaten)
                m_list->setFocus(Qt::MouseFocusReason);
            return m_eaten;
        }
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease: {
            const bool eaten = m_eaten;
            if (event->type() == QEvent::MouseButtonRelease)
                m_eaten = false;
            return eaten;
        }
        default:
            return false;
        }
    }

private:
    QListWidget *m_list;
    bool m_eaten = false;
};

} // namespace

void keepSelectionOnEmptySpace(QListWidget *list)
{
    new EmptySpaceClicks(list);
}

int selectedRow(const QListWidget *list)
{
    const QList<QListWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

void clearSelection(QListWidget *list)
{
    list->setCurrentItem(nullptr);
    list->clearSelection();
}

} // namespace ListBox
