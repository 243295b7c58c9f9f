#pragma once

#include <QPointer>
#include <QWidget>

class QMenu;
class QToolButton;
class TSkinTitleBar;

// The skinned frame of a window: a frameless top-level window that holds the
// window (its client) and draws around it the skin's border and title bar with
// the caption and the caption buttons the window asks for in its window flags.
// The client keeps its own size and places; the frame adds around it. Moving
// and resizing go through the window manager (startSystemMove and
// startSystemResize), so it still snaps and tiles.
class TbsBusinessSkinForm : public QWidget {
    Q_OBJECT
public:
    // The caption buttons and system-menu entries a window can have.
    enum Button { SystemMenu = 1, Minimize = 2, Maximize = 4, Close = 8 };
    Q_DECLARE_FLAGS(Buttons, Button)

    // Puts window, a top-level window not shown yet, into a frame of its own
    // and returns the frame. Showing, hiding and closing the window shows,
    // hides and closes its frame; the frame goes when the window goes.
    static TbsBusinessSkinForm *frame(QWidget *window);

    // Takes window out of its frame and deletes the frame, for a window whose
    // frame must be gone when it is: call it first in the window's destructor.
    // Without it the frame goes once the event loop next runs.
    static void release(QWidget *window);

    ~TbsBusinessSkinForm() override;

    // The frame holding window, or null.
    static TbsBusinessSkinForm *frameOf(const QWidget *window);
    // The window a frame holds; any other widget itself.
    static QWidget *clientOf(QWidget *window);

    QWidget *client() const { return m_client; }
    Buttons buttons() const { return m_buttons; }
    bool resizable() const;
    // The caption buttons, by their names: skinSystemMenu, skinMinimize,
    // skinMaximize, skinClose.
    QToolButton *captionButton(Button which) const;
    QWidget *titleBar() const;

    // The system menu, its entries set for the window's present state.
    QMenu *systemMenu();
    void showSystemMenu(const QPoint &globalPos);

    // Maximises a normal window and restores a maximised one.
    void toggleMaximized();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    TbsBusinessSkinForm(QWidget *client, QWidget *owner, Qt::WindowFlags flags, Buttons buttons);

    void applySkin();
    void placeClient();
    void fitToClient();
    void updateLimits();
    void showWithClient();
    void updateMaximizeButton();
    QMargins margins() const;
    Qt::Edges edgesAt(const QPoint &pos) const;

    QPointer<QWidget> m_client;
    Buttons m_buttons;
    TSkinTitleBar *m_titleBar = nullptr;
    QToolButton *m_menuButton = nullptr;
    QToolButton *m_minButton = nullptr;
    QToolButton *m_maxButton = nullptr;
    QToolButton *m_closeButton = nullptr;
    QMenu *m_menu = nullptr;
    bool m_placing = false;
    bool m_placed = false;
    bool m_dying = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TbsBusinessSkinForm::Buttons)
