#include "ListBox.h"

#include <QApplication>
#include <QKeyEvent>
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

// Ctrl would let a click or Ctrl+Space take the selection off the selected row,
// which a single-selection list box never does: such events go on without it.
class ExactlyOneSelected : public QObject {
public:
    explicit ExactlyOneSelected(QListWidget *list) : QObject(list), m_list(list)
    {
        list->viewport()->installEventFilter(this);
        list->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (watched != m_list->viewport() || !(mouse->modifiers() & Qt::ControlModifier))
                return false;
            QMouseEvent plain(mouse->type(), mouse->position(), mouse->scenePosition(),
                              mouse->globalPosition(), mouse->button(), mouse->buttons(),
                              mouse->modifiers() & ~Qt::ControlModifier, mouse->pointingDevice());
            QApplication::sendEvent(watched, &plain);
            event->setAccepted(plain.isAccepted());
            return true;
        }
        case QEvent::KeyPress: {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (watched != m_list || !(key->modifiers() & Qt::ControlModifier) || !movesSelection(key->key()))
                return false;
            QKeyEvent plain(key->type(), key->key(), key->modifiers() & ~Qt::ControlModifier, key->text(),
                            key->isAutoRepeat(), ushort(key->count()));
            QApplication::sendEvent(watched, &plain);
            event->setAccepted(plain.isAccepted());
            return true;
        }
        default:
            return false;
        }
    }

private:
    static bool movesSelection(int key)
    {
        switch (key) {
        case Qt::Key_Space:
        case Qt::Key_Select:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            return true;
        default:
            return false;
        }
    }

    QListWidget *m_list;
};

} // namespace

void keepExactlyOneSelected(QListWidget *list)
{
    new ExactlyOneSelected(list);
}

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
