#include "TStringGrid.h"

#include <QMouseEvent>

#include <utility>

TStringGrid::TStringGrid(QWidget *parent) : QTableWidget(parent) {}

void TStringGrid::setOnSelectCell(SelectCell handler)
{
    m_onSelectCell = std::move(handler);
}

void TStringGrid::commitEdit()
{
    if (state() != EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

bool TStringGrid::refusesMoveTo(const QModelIndex &target)
{
    if (!target.isValid() || target == currentIndex() || !m_onSelectCell)
        return false;
    return !m_onSelectCell(target.row(), target.column());
}

QModelIndex TStringGrid::indexUnder(const QMouseEvent *event) const
{
    return indexAt(event->position().toPoint());
}

QModelIndex TStringGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex target = QTableWidget::moveCursor(cursorAction, modifiers);
    return refusesMoveTo(target) ? currentIndex() : target;
}

void TStringGrid::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex target = indexUnder(event);
    m_pressRefused = refusesMoveTo(target);
    m_refusedPressAt = m_pressRefused ? QPersistentModelIndex(target) : QPersistentModelIndex();
    if (m_pressRefused) {
        event->accept();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

void TStringGrid::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging with a button held moves the current cell along; once a move is
    // refused, the rest of that drag is dropped rather than asked again.
    if (!m_pressRefused && event->buttons() != Qt::NoButton)
        m_pressRefused = refusesMoveTo(indexUnder(event));
    if (m_pressRefused) {
        event->accept();
        return;
    }
    QTableWidget::mouseMoveEvent(event);
}

void TStringGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (std::exchange(m_pressRefused, false)) {
        event->accept();
        return;
    }
    QTableWidget::mouseReleaseEvent(event);
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double-click asks like the first, unless the first
    // was refused on the same cell: that click has had its answer.
    const QModelIndex target = indexUnder(event);
    m_pressRefused = (target.isValid() && target == m_refusedPressAt) || refusesMoveTo(target);
    m_refusedPressAt = QPersistentModelIndex();
    if (m_pressRefused) {
        event->accept();
        return;
    }
    QTableWidget::mouseDoubleClickEvent(event);
}
