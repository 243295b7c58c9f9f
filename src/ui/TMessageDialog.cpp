#include "TMessageDialog.h"

#include "ScreenPlace.h"
#include "TbsBusinessSkinForm.h"
#include "WidgetText.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

#include <climits>

namespace {

// Lines break only at the text's own line breaks; "&" underlines the next
// character and "&&" shows one "&".
constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic | Qt::TextExpandTabs;

// The size of the text as the label draws it. An empty text still takes one
// space and one line, so the box keeps its shape.
QSize measureText(const QFont &font, const QString &text)
{
    return QFontMetrics(font).size(kTextFlags, text.isEmpty() ? QStringLiteral(" ") : text);
}

// A label that shows access keys of its own, with no buddy to move the focus
// to: QLabel shows them only for a buddy.
class TMessageLabel : public QLabel {
public:
    using QLabel::QLabel;

    QSize sizeHint() const override { return measureText(font(), text()); }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(palette().color(foregroundRole()));
        painter.drawText(rect(), kTextFlags, text());
    }
};

QStyle::StandardPixmap iconOf(TMsgKind kind)
{
    switch (kind) {
    case TMsgKind::Warning:
        return QStyle::SP_MessageBoxWarning;
    case TMsgKind::Error:
        return QStyle::SP_MessageBoxCritical;
    case TMsgKind::Information:
        return QStyle::SP_MessageBoxInformation;
    case TMsgKind::Confirmation:
        return QStyle::SP_MessageBoxQuestion;
    case TMsgKind::Custom:
        break;
    }
    return QStyle::SP_CustomBase;
}

QRect toRect(const TBoxRect &r)
{
    return QRect(r.left, r.top, r.width, r.height);
}

// The height the window's frame adds to its client area: as the owner's frame
// shows it, or the style's title bar before any window is framed.
// The height the window's frame adds to the client area: the skin's own frame
// when it draws one, else what the window manager's frame around the owner
// measures.
int frameHeight(const QWidget *dialog, const TMessageDialog::Look &look)
{
    if (look.frameHeight > 0)
        return look.frameHeight;
    const QWidget *owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    if (owner && owner->isVisible())
        return std::max(0, owner->frameGeometry().height() - owner->geometry().height());
    return dialog->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, dialog);
}

} // namespace

TMessageDialog::TMessageDialog(const std::string &text, TMsgKind kind, TMsgButtons buttons, int helpContext,
                               const Look &look, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_buttons(buttons),
      m_helpContext(helpContext)
{
    setWindowTitle(look.title);

    auto *label = new TMessageLabel(WidgetText::toWidgetLines(text), this);
    label->setObjectName(QStringLiteral("Message"));
    label->setTextFormat(Qt::PlainText);
    label->setFont(look.labelFont);
    const QSize textSize = label->sizeHint();

    TMessageBoxMeasures measures;
    measures.labelWidth = textSize.width();
    measures.labelHeight = textSize.height();
    measures.buttons = buttons;
    measures.buttonHeight = look.buttonHeight;
    // The limits hold for the whole window; the frame's borders take their
    // share of them from the client area.
    measures.frameMinWidth = look.frameMinWidth - look.frameBorderWidth;
    const QScreen *screen = ScreenPlace::screenOf(this);
    measures.workAreaWidth = screen ? screen->availableGeometry().width() - look.frameBorderWidth : INT_MAX;
    if (screen)
        measures.workAreaClientHeight = screen->availableGeometry().height() - frameHeight(this, look);
    measures.scrollBarWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    m_plan = MessageBoxGeometry(measures);

    if (m_plan.textScrolls) {
        // Too tall for the screen: the text scrolls in a view of its own, so
        // the title and the buttons stay within reach.
        auto *view = new QScrollArea(this);
        view->setObjectName(QStringLiteral("MessageView"));
        view->setFrameShape(QFrame::NoFrame);
        view->setFocusPolicy(Qt::NoFocus);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        view->setBackgroundRole(QPalette::Window);
        view->setGeometry(toRect(m_plan.textView));
        label->resize(m_plan.label.width, m_plan.label.height);
        view->setWidget(label);
        m_view = view;
    } else {
        label->setGeometry(toRect(m_plan.label));
    }
    addIcon(kind);
    for (const TMessageBoxButtonPlace &place : m_plan.buttons)
        addButton(place, look.buttonFont);
    setFixedSize(m_plan.clientWidth, m_plan.clientHeight);

    if (m_default) {
        m_default->setDefault(true);
        m_default->setFocus();
    }
    TbsBusinessSkinForm::frame(this);
}

TMessageDialog::~TMessageDialog() { TbsBusinessSkinForm::release(this); }

void TMessageDialog::addIcon(TMsgKind kind)
{
    const QStyle::StandardPixmap which = iconOf(kind);
    if (which == QStyle::SP_CustomBase)
        return;
    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image"));
    image->setGeometry(toRect(m_plan.icon));
    image->setPixmap(
        style()->standardIcon(which, nullptr, this).pixmap(m_plan.icon.width, m_plan.icon.height));
}

void TMessageDialog::addButton(const TMessageBoxButtonPlace &place, const QFont &font)
{
    const std::string_view caption = ButtonCaption(place.button);
    const std::string_view name = ButtonName(place.button);
    auto *button = new QPushButton(QString::fromLatin1(caption.data(), qsizetype(caption.size())), this);
    button->setObjectName(QString::fromLatin1(name.data(), qsizetype(name.size())));
    button->setFont(font);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setGeometry(toRect(place.place));

    if (const std::optional<int> result = ButtonResult(place.button))
        connect(button, &QPushButton::clicked, this, [this, r = *result] { done(r); });
    else
        connect(button, &QPushButton::clicked, this, [this] { emit helpRequested(m_helpContext); });

    if (DefaultButton(m_buttons) == place.button)
        m_default = button;
    if (CancelButton(m_buttons) == place.button)
        m_cancel = button;
}

void TMessageDialog::reject()
{
    done(MsgClosedResult);
}

void TMessageDialog::keyPressEvent(QKeyEvent *event)
{
    // Esc presses the cancel button; without one it does nothing, as the box
    // then has no answer that means "no".
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (m_cancel)
            m_cancel->click();
        event->accept();
        return;
    }
    // A text that scrolls answers the paging keys; the buttons keep the focus.
    if (m_view) {
        QScrollBar *bar = m_view->verticalScrollBar();
        const std::pair<int, QAbstractSlider::SliderAction> keys[] = {
            {Qt::Key_PageUp, QAbstractSlider::SliderPageStepSub},
            {Qt::Key_PageDown, QAbstractSlider::SliderPageStepAdd},
            {Qt::Key_Home, QAbstractSlider::SliderToMinimum},
            {Qt::Key_End, QAbstractSlider::SliderToMaximum},
        };
        for (const auto &[key, action] : keys)
            if (event->key() == key) {
                bar->triggerAction(action);
                event->accept();
                return;
            }
    }
    // Enter presses the default button, or the button that has the focus.
    QDialog::keyPressEvent(event);
}

void TMessageDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        ScreenPlace::centreOnScreen(this);
    }
}
