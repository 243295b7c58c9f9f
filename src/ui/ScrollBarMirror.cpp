#include "ScrollBarMirror.h"

#include <QAbstractScrollArea>
#include <QPointer>
#include <QScrollBar>

#include <functional>

namespace ScrollBarMirror {
namespace {

// The area's own scroll bar, telling of every change. Edits change their bar
// with its signals blocked at times, and the page step has no signal at all;
// sliderChange hears of them all.
class ReportingScrollBar : public QScrollBar {
public:
    ReportingScrollBar(Qt::Orientation orientation, std::function<void()> changed)
        : QScrollBar(orientation), m_changed(std::move(changed))
    {
    }

protected:
    void sliderChange(SliderChange change) override
    {
        QScrollBar::sliderChange(change);
        if (m_changed)
            m_changed();
    }

private:
    std::function<void()> m_changed;
};

void copyPlace(const QScrollBar &from, QScrollBar &to)
{
    to.setRange(from.minimum(), from.maximum());
    to.setPageStep(from.pageStep());
    to.setSingleStep(from.singleStep());
    to.setValue(from.value());
}

} // namespace

void follow(QAbstractScrollArea *area, QScrollBar *outer)
{
    const QPointer<QScrollBar> shown(outer);
    auto copying = std::make_shared<bool>(false);
    auto *inner = new ReportingScrollBar(Qt::Vertical, [shown, area, copying] {
        QScrollBar *own = area->verticalScrollBar();
        if (!shown || !own || *copying)
            return;
        *copying = true;
        copyPlace(*own, *shown);
        *copying = false;
    });
    inner->setObjectName(area->objectName() + QStringLiteral("OwnScrollBar"));
    area->setVerticalScrollBar(inner);
    QObject::connect(outer, &QScrollBar::valueChanged, inner, [inner, copying](int value) {
        if (!*copying)
            inner->setValue(value);
    });
    // The area has set up its new bar by now: show where it stands.
    *copying = true;
    copyPlace(*inner, *outer);
    *copying = false;
}

} // namespace ScrollBarMirror
