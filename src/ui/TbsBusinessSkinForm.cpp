#include "TbsBusinessSkinForm.h"

#include "TSkinEngine.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolButton>
#include <QWindow>

namespace {

const char *const kFrameProperty = "skinFrame";

QColor colour(const TSkinValues &values, const char *name, const char *fallbackName, QColor fallback)
{
    if (const auto it = values.colours.constFind(QLatin1String(name)); it != values.colours.constEnd())
        return *it;
    if (const auto it = values.colours.constFind(QLatin1String(fallbackName));
        it != values.colours.constEnd())
        return *it;
    return fallback;
}

const TSkinValues &skinValues()
{
    return TSkinEngine::instance().current()->values();
}

// The caption buttons a window's flags ask for. Flags that customise nothing
// give a window all four and a dialog its close button.
TbsBusinessSkinForm::Buttons buttonsFor(Qt::WindowFlags flags)
{
    using Form = TbsBusinessSkinForm;
    const bool dialog = (flags & Qt::WindowType_Mask) == Qt::Dialog;
    if (!(flags & Qt::CustomizeWindowHint))
        return dialog ? Form::Buttons(Form::Close)
                      : Form::Buttons(Form::SystemMenu | Form::Minimize | Form::Maximize | Form::Close);
    Form::Buttons buttons;
    if ((flags & Qt::WindowSystemMenuHint) && !dialog)
        buttons |= Form::SystemMenu;
    if (flags & Qt::WindowMinimizeButtonHint)
        buttons |= Form::Minimize;
    if (flags & Qt::WindowMaximizeButtonHint)
        buttons |= Form::Maximize;
    if (flags & Qt::WindowCloseButtonHint)
        buttons |= Form::Close;
    return buttons;
}

// A caption button: the style sheet draws its background, the glyph is drawn
// here in the title's text colour.
class TCaptionButton : public QToolButton {
public:
    TCaptionButton(TbsBusinessSkinForm::Button kind, QWidget *parent) : QToolButton(parent), m_kind(kind)
    {
        setFocusPolicy(Qt::NoFocus);
        setAutoRaise(true);
    }

    void setRestore(bool restore)
    {
        m_restore = restore;
        update();
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QToolButton::paintEvent(event);
        QPainter p(this);
        const bool active = window()->isActiveWindow();
        const TSkinValues &v = skinValues();
        QPen pen(active ? colour(v, "titleText", "", Qt::white)
                        : colour(v, "titleTextInactive", "titleText", Qt::lightGray));
        pen.setWidthF(1.5);
        p.setPen(pen);
        p.setRenderHint(QPainter::Antialiasing);
        const int side = qMax(6, qMin(width(), height()) / 2 - 1);
        QRectF r(0, 0, side, side);
        r.moveCenter(QRectF(rect()).center());
        switch (m_kind) {
        case TbsBusinessSkinForm::SystemMenu:
            for (int i = 0; i < 3; ++i) {
                const qreal y = r.top() + 1 + i * (r.height() - 2) / 2;
                p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
            }
            break;
        case TbsBusinessSkinForm::Minimize:
            p.drawLine(r.bottomLeft(), r.bottomRight());
            break;
        case TbsBusinessSkinForm::Maximize:
            if (m_restore) {
                const qreal d = side / 4.0;
                p.drawRect(r.adjusted(0, d, -d, 0));
                p.drawPolyline(QPolygonF({QPointF(r.left() + d, r.top() + d), QPointF(r.left() + d, r.top()),
                                          r.topRight(), QPointF(r.right(), r.bottom() - d),
                                          QPointF(r.right() - d, r.bottom() - d)}));
            } else {
                p.drawRect(r);
            }
            break;
        case TbsBusinessSkinForm::Close:
            p.drawLine(r.topLeft(), r.bottomRight());
            p.drawLine(r.topRight(), r.bottomLeft());
            break;
        }
    }

private:
    TbsBusinessSkinForm::Button m_kind;
    bool m_restore = false;
};

} // namespace

// The title bar: the caption, the caption buttons, and the handle by which
// the window is moved, maximised and restored, and its system menu opened.
class TSkinTitleBar : public QWidget {
public:
    explicit TSkinTitleBar(TbsBusinessSkinForm *form) : QWidget(form), m_form(form)
    {
        setObjectName(QStringLiteral("skinTitleBar"));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const TSkinValues &v = skinValues();
        const bool active = window()->isActiveWindow();
        p.fillRect(rect(), active ? colour(v, "title", "frame", QColor(0x3a6ea5))
                                  : colour(v, "titleInactive", "frameInactive", QColor(0x7a96b4)));
        p.setPen(active ? colour(v, "titleText", "", Qt::white)
                        : colour(v, "titleTextInactive", "titleText", Qt::lightGray));
        QFont f = v.titleFont.value_or(font());
        if (!v.titleFont)
            f.setBold(true);
        p.setFont(f);
        const QRect text = rect().adjusted(m_textLeft, 0, -m_textRight, 0);
        p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetrics(f).elidedText(window()->windowTitle(), Qt::ElideRight, text.width()));
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::RightButton) {
            m_form->showSystemMenu(event->globalPosition().toPoint());
            return;
        }
        if (event->button() != Qt::LeftButton || m_form->isMaximized())
            return;
        // The window manager moves the window where it can; elsewhere (a
        // platform without one) the window follows the mouse itself.
        QWindow *handle = window()->windowHandle();
        m_dragFrom = (handle && handle->startSystemMove())
                         ? QPoint(-1, -1)
                         : event->globalPosition().toPoint() - window()->frameGeometry().topLeft();
    }

    void mouseMoveEvent(QMouseEvent *event) override
    {
        if ((event->buttons() & Qt::LeftButton) && m_dragFrom != QPoint(-1, -1) && !m_form->isMaximized())
            window()->move(event->globalPosition().toPoint() - m_dragFrom);
    }

    void mouseReleaseEvent(QMouseEvent *) override { m_dragFrom = QPoint(-1, -1); }

    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && (m_form->buttons() & TbsBusinessSkinForm::Maximize))
            m_form->toggleMaximized();
    }

public:
    void setTextMargins(int left, int right)
    {
        m_textLeft = left;
        m_textRight = right;
        update();
    }

private:
    TbsBusinessSkinForm *m_form;
    QPoint m_dragFrom{-1, -1};
    int m_textLeft = 0;
    int m_textRight = 0;
};

TbsBusinessSkinForm *TbsBusinessSkinForm::frame(QWidget *window)
{
    if (TbsBusinessSkinForm *existing = frameOf(window))
        return existing;
    const Qt::WindowFlags flags = window->windowFlags();
    const bool dialog = (flags & Qt::WindowType_Mask) == Qt::Dialog;
    return new TbsBusinessSkinForm(window, window->parentWidget(),
                                   (dialog ? Qt::Dialog : Qt::Window) | Qt::FramelessWindowHint,
                                   buttonsFor(flags));
}

TbsBusinessSkinForm *TbsBusinessSkinForm::frameOf(const QWidget *window)
{
    return window ? qobject_cast<TbsBusinessSkinForm *>(window->property(kFrameProperty).value<QObject *>())
                  : nullptr;
}

QWidget *TbsBusinessSkinForm::clientOf(QWidget *window)
{
    if (auto *form = qobject_cast<TbsBusinessSkinForm *>(window))
        return form->client();
    return window;
}

TbsBusinessSkinForm::TbsBusinessSkinForm(QWidget *client, QWidget *owner, Qt::WindowFlags flags,
                                         Buttons buttons)
    : QWidget(owner, flags), m_client(client), m_buttons(buttons)
{
    setObjectName(QStringLiteral("bsBusinessSkinForm1"));
    setAttribute(Qt::WA_QuitOnClose, client->testAttribute(Qt::WA_QuitOnClose) && !owner);
    setMouseTracking(true);
    setWindowTitle(client->windowTitle());
    if (client->testAttribute(Qt::WA_SetWindowIcon))
        setWindowIcon(client->windowIcon());

    const QSize clientSize = client->size();
    client->setParent(this, Qt::Widget);
    client->setProperty(kFrameProperty, QVariant::fromValue<QObject *>(this));
    // The client's place is the frame's to give; QDialog must not centre it.
    client->setAttribute(Qt::WA_Moved);
    client->resize(clientSize);
    client->installEventFilter(this);
    connect(client, &QObject::destroyed, this, &QObject::deleteLater);

    m_titleBar = new TSkinTitleBar(this);
    const auto makeButton = [this](Button kind, const char *name) -> QToolButton * {
        if (!(m_buttons & kind))
            return nullptr;
        auto *b = new TCaptionButton(kind, m_titleBar);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    m_menuButton = makeButton(SystemMenu, "skinSystemMenu");
    m_minButton = makeButton(Minimize, "skinMinimize");
    m_maxButton = makeButton(Maximize, "skinMaximize");
    m_closeButton = makeButton(Close, "skinClose");
    if (m_menuButton)
        connect(m_menuButton, &QToolButton::clicked, this,
                [this] { showSystemMenu(m_menuButton->mapToGlobal(QPoint(0, m_menuButton->height()))); });
    if (m_minButton)
        connect(m_minButton, &QToolButton::clicked, this, &QWidget::showMinimized);
    if (m_maxButton)
        connect(m_maxButton, &QToolButton::clicked, this, &TbsBusinessSkinForm::toggleMaximized);
    if (m_closeButton)
        connect(m_closeButton, &QToolButton::clicked, this, &QWidget::close);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("skinSystemMenuPopup"));

    connect(&TSkinEngine::instance(), &TSkinEngine::skinChanged, this, &TbsBusinessSkinForm::applySkin);
    applySkin();
}

TbsBusinessSkinForm::~TbsBusinessSkinForm()
{
    // The client goes with the frame; it must not try to take the frame along.
    m_dying = true;
}

void TbsBusinessSkinForm::release(QWidget *window)
{
    TbsBusinessSkinForm *form = frameOf(window);
    if (!form || form->m_dying || form->m_client != window)
        return;
    window->removeEventFilter(form);
    window->setProperty(kFrameProperty, QVariant());
    form->m_client = nullptr;
    window->setParent(nullptr);
    delete form;
}

bool TbsBusinessSkinForm::resizable() const
{
    return m_client && m_client->minimumSize() != m_client->maximumSize();
}

QToolButton *TbsBusinessSkinForm::captionButton(Button which) const
{
    switch (which) {
    case SystemMenu:
        return m_menuButton;
    case Minimize:
        return m_minButton;
    case Maximize:
        return m_maxButton;
    case Close:
        return m_closeButton;
    }
    return nullptr;
}

QWidget *TbsBusinessSkinForm::titleBar() const
{
    return m_titleBar;
}

QMargins TbsBusinessSkinForm::margins() const
{
    const TSkinValues &v = skinValues();
    return v.borders + QMargins(0, v.titleBarHeight, 0, 0);
}

void TbsBusinessSkinForm::applySkin()
{
    // The client keeps its size: the frame grows or shrinks around it.
    updateLimits();
    fitToClient();
    placeClient();
    update();
}

void TbsBusinessSkinForm::placeClient()
{
    const TSkinValues &v = skinValues();
    const QMargins m = margins();
    m_placing = true;
    const QRect inner = rect().marginsRemoved(m);
    if (m_client && inner.isValid())
        m_client->setGeometry(inner);
    m_placing = false;

    m_titleBar->setGeometry(v.borders.left(), v.borders.top(), width() - v.borders.left() - v.borders.right(),
                            v.titleBarHeight);
    const int side = qMax(8, v.titleBarHeight - 4);
    const int top = (v.titleBarHeight - side) / 2;
    int right = m_titleBar->width() - 2;
    for (QToolButton *b : {m_closeButton, m_maxButton, m_minButton}) {
        if (!b)
            continue;
        right -= side + 2;
        b->setGeometry(right, top, side + 2, side);
    }
    int left = 4;
    if (m_menuButton) {
        m_menuButton->setGeometry(2, top, side + 2, side);
        left = side + 8;
    }
    m_titleBar->setTextMargins(left, m_titleBar->width() - right + 4);
}

void TbsBusinessSkinForm::fitToClient()
{
    if (!m_client || isMaximized() || isFullScreen())
        return;
    const QSize wanted = m_client->size().grownBy(margins());
    if (size() != wanted)
        resize(wanted);
}

void TbsBusinessSkinForm::updateLimits()
{
    if (!m_client)
        return;
    const QMargins m = margins();
    const auto grow = [&m](QSize s) {
        return QSize(qMin(QWIDGETSIZE_MAX, s.width() + m.left() + m.right()),
                     qMin(QWIDGETSIZE_MAX, s.height() + m.top() + m.bottom()));
    };
    setMinimumSize(grow(m_client->minimumSize()));
    setMaximumSize(grow(m_client->maximumSize()));
}

void TbsBusinessSkinForm::showWithClient()
{
    updateLimits();
    fitToClient();
    if (!m_placed) {
        m_placed = true;
        // Over the window it belongs to, else in the middle of the screen; a
        // window that places itself does so when it is shown.
        QRect area;
        if (QWidget *owner = parentWidget())
            area = owner->window()->frameGeometry();
        else if (const QScreen *s = QGuiApplication::primaryScreen())
            area = s->availableGeometry();
        QRect g(QPoint(0, 0), size());
        g.moveCenter(area.center());
        move(g.topLeft());
    }
    if (!isVisible()) {
        Qt::WindowModality modality = Qt::NonModal;
        if (m_client->testAttribute(Qt::WA_ShowModal))
            modality = m_client->windowModality() == Qt::WindowModal ? Qt::WindowModal : Qt::ApplicationModal;
        setWindowModality(modality);
        show();
    }
}

void TbsBusinessSkinForm::updateMaximizeButton()
{
    if (m_maxButton)
        static_cast<TCaptionButton *>(m_maxButton)->setRestore(isMaximized());
}

bool TbsBusinessSkinForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_client)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShowToParent:
        showWithClient();
        break;
    case QEvent::HideToParent:
        if (isVisible())
            close();
        break;
    case QEvent::Resize:
        if (!m_placing)
            fitToClient();
        break;
    case QEvent::Move:
        if (!m_placing)
            placeClient();
        break;
    case QEvent::WindowTitleChange:
        setWindowTitle(m_client->windowTitle());
        m_titleBar->update();
        break;
    case QEvent::WindowIconChange:
        // Without an icon of its own the client shows the frame's, which
        // follows the program's: the frame's change comes back here then, and
        // taking it over again would never end.
        if (m_client->testAttribute(Qt::WA_SetWindowIcon))
            setWindowIcon(m_client->windowIcon());
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TbsBusinessSkinForm::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const TSkinValues &v = skinValues();
    const bool active = isActiveWindow();
    p.fillRect(rect(), active ? colour(v, "frame", "", QColor(0x3a6ea5))
                              : colour(v, "frameInactive", "frame", QColor(0x7a96b4)));
    p.fillRect(rect().marginsRemoved(margins()), colour(v, "clientArea", "", palette().window().color()));
}

void TbsBusinessSkinForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeClient();
}

void TbsBusinessSkinForm::closeEvent(QCloseEvent *event)
{
    // Closing the frame is closing the window: the window may refuse.
    if (m_client && m_client->isVisible() && !m_client->close()) {
        event->ignore();
        return;
    }
    event->accept();
}

void TbsBusinessSkinForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        updateMaximizeButton();
    if (event->type() == QEvent::ActivationChange || event->type() == QEvent::WindowStateChange)
        update();
    if (event->type() == QEvent::ActivationChange)
        for (QWidget *w : m_titleBar->findChildren<QWidget *>())
            w->update();
}

Qt::Edges TbsBusinessSkinForm::edgesAt(const QPoint &pos) const
{
    Qt::Edges edges;
    if (!resizable() || isMaximized())
        return edges;
    const QMargins b = skinValues().borders;
    // A corner grip a little larger than the border is easier to catch.
    const int grip = 12;
    const bool nearLeft = pos.x() < qMax(b.left(), 1);
    const bool nearRight = pos.x() >= width() - qMax(b.right(), 1);
    const bool nearTop = pos.y() < qMax(b.top(), 1);
    const bool nearBottom = pos.y() >= height() - qMax(b.bottom(), 1);
    if (nearLeft || (pos.x() < grip && (nearTop || nearBottom)))
        edges |= Qt::LeftEdge;
    if (nearRight || (pos.x() >= width() - grip && (nearTop || nearBottom)))
        edges |= Qt::RightEdge;
    if (nearTop || (pos.y() < grip && (nearLeft || nearRight)))
        edges |= Qt::TopEdge;
    if (nearBottom || (pos.y() >= height() - grip && (nearLeft || nearRight)))
        edges |= Qt::BottomEdge;
    return edges;
}

void TbsBusinessSkinForm::mousePressEvent(QMouseEvent *event)
{
    const Qt::Edges edges = edgesAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && edges && windowHandle())
        windowHandle()->startSystemResize(edges);
    QWidget::mousePressEvent(event);
}

void TbsBusinessSkinForm::mouseMoveEvent(QMouseEvent *event)
{
    const Qt::Edges edges = edgesAt(event->position().toPoint());
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
        shape = Qt::SizeFDiagCursor;
    else if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge))
        shape = Qt::SizeBDiagCursor;
    else if (edges & (Qt::LeftEdge | Qt::RightEdge))
        shape = Qt::SizeHorCursor;
    else if (edges & (Qt::TopEdge | Qt::BottomEdge))
        shape = Qt::SizeVerCursor;
    setCursor(shape);
    QWidget::mouseMoveEvent(event);
}

void TbsBusinessSkinForm::keyPressEvent(QKeyEvent *event)
{
    // Alt+Space opens the system menu under the title bar's left end.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::AltModifier) {
        showSystemMenu(m_titleBar->mapToGlobal(QPoint(0, m_titleBar->height())));
        return;
    }
    QWidget::keyPressEvent(event);
}

void TbsBusinessSkinForm::toggleMaximized()
{
    if (!(m_buttons & Maximize))
        return;
    if (isMaximized())
        showNormal();
    else
        showMaximized();
}

QMenu *TbsBusinessSkinForm::systemMenu()
{
    m_menu->clear();
    const bool maximized = isMaximized();
    const bool minimized = isMinimized();
    const auto add = [this](const QString &text, bool enabled, auto slot) {
        QAction *a = m_menu->addAction(text, this, slot);
        a->setEnabled(enabled);
        return a;
    };
    if (m_buttons & (Minimize | Maximize))
        add(tr("&Restore"), maximized || minimized, [this] { showNormal(); });
    add(tr("&Move"), !maximized, [this] {
        if (windowHandle())
            windowHandle()->startSystemMove();
    });
    if (resizable())
        add(tr("&Size"), !maximized, [this] {
            if (windowHandle())
                windowHandle()->startSystemResize(Qt::RightEdge | Qt::BottomEdge);
        });
    if (m_buttons & Minimize)
        add(tr("Mi&nimize"), !minimized, [this] { showMinimized(); });
    if (m_buttons & Maximize)
        add(tr("Ma&ximize"), !maximized, [this] { showMaximized(); });
    m_menu->addSeparator();
    add(tr("&Close"), true, [this] { this->close(); });
    return m_menu;
}

void TbsBusinessSkinForm::showSystemMenu(const QPoint &globalPos)
{
    systemMenu()->popup(globalPos);
}
