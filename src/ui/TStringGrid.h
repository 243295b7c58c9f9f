#pragma once

#include <QTableWidget>

#include <functional>

// A grid of text cells whose owner decides, before the current cell moves,
// whether it may: a refused move leaves the current cell where it was, for
// clicks, drags and keys alike.
class TStringGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget *parent = nullptr);

    // Asked before the current cell moves to (row, column); false refuses.
    using SelectCell = std::function<bool(int row, int column)>;
    void setOnSelectCell(SelectCell handler);

    // Ends the editing of the current cell and keeps what was typed into it.
    void commitEdit();

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // True when moving the current cell to target must not happen.
    bool refusesMoveTo(const QModelIndex &target);
    QModelIndex indexUnder(const QMouseEvent *event) const;

    SelectCell m_onSelectCell;
    // The press was refused, so the rest of that click belongs to no cell.
    bool m_pressRefused = false;
    // Where the last press was refused, so that the double-click it starts
    // does not ask a second time.
    QPersistentModelIndex m_refusedPressAt;
};
