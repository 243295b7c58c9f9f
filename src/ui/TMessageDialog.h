#pragma once

#include "MessageBoxLayout.h"

#include <QDialog>
#include <QFont>

#include <string>

class QPushButton;
class QScrollArea;

// The window of one message box: the text in a label named "Message", the
// kind's icon in a picture named "Image", and a row of buttons named after
// their buttons ("OK", "Cancel"). It is laid out by the core's geometry and
// closes with the result of the button pressed, or 2 when it is closed
// otherwise. TbsSkinMessage makes and shows it.
class TMessageDialog : public QDialog {
    Q_OBJECT
public:
    struct Look {
        QString title;
        QFont labelFont;
        QFont buttonFont;
        // The skin's button height, its frame picture's width (the narrowest
        // the window may be, frame included), the width its frame's left and
        // right borders add to the client area, and the height its title bar
        // and top and bottom borders add.
        int buttonHeight = 25;
        int frameMinWidth = 120;
        int frameBorderWidth = 0;
        int frameHeight = 0;
    };

    TMessageDialog(const std::string &text, TMsgKind kind, TMsgButtons buttons, int helpContext,
                   const Look &look, QWidget *parent = nullptr);
    ~TMessageDialog() override;

    // The places the window was built from.
    const TMessageBoxGeometry &plan() const { return m_plan; }

    // The buttons Enter and Esc press; null when the box has none.
    QPushButton *defaultButton() const { return m_default; }
    QPushButton *cancelButton() const { return m_cancel; }

    // Closing by the system's close command gives 2, like a Cancel button.
    void reject() override;

signals:
    // The Help button asks for the application's help for this context. The
    // box stays open.
    void helpRequested(int helpContext);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void addIcon(TMsgKind kind);
    void addButton(const TMessageBoxButtonPlace &place, const QFont &font);

    TMessageBoxGeometry m_plan;
    TMsgButtons m_buttons;
    int m_helpContext = 0;
    QPushButton *m_default = nullptr;
    QPushButton *m_cancel = nullptr;
    // The view the text scrolls in when it is too tall for the screen.
    QScrollArea *m_view = nullptr;
    bool m_placed = false;
};
