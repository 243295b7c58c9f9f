#pragma once

#include <QScrollBar>

class QAbstractScrollArea;

// A scroll bar as thick as the skin's: 19 pixels, whatever the style's own
// width is, so that the control beside it keeps the width its form gives it.
class TSkinScrollBar : public QScrollBar {
    Q_OBJECT
public:
    static constexpr int thickness = 19;

    explicit TSkinScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);
    QSize sizeHint() const override;

    // Gives the area a vertical scroll bar of this kind, always shown.
    static void installVertical(QAbstractScrollArea *area);
};
