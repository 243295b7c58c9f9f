#include "TbsSkinMessage.h"

#include "TMessageDialog.h"
#include "TSkinEngine.h"
#include "WidgetText.h"

#include <QApplication>
#include <QPointer>

namespace {

TbsSkinMessage::Hook &hook()
{
    static TbsSkinMessage::Hook h;
    return h;
}

} // namespace

TbsSkinMessage::TbsSkinMessage(QObject *parent) : QObject(parent) {}

TbsSkinMessage::~TbsSkinMessage() = default;

void TbsSkinMessage::setHook(Hook h)
{
    hook() = std::move(h);
}

std::string TbsSkinMessage::titleFor(TMsgKind kind)
{
    return MessageBoxTitle(kind,
                           ApplicationTitle(WidgetText::fromWidget(QCoreApplication::applicationFilePath())));
}

std::unique_ptr<TMessageDialog> TbsSkinMessage::CreateMessageDialog(const std::string &text, TMsgKind kind,
                                                                    TMsgButtons buttons, int helpContext,
                                                                    QWidget *parent) const
{
    TMessageDialog::Look look;
    look.title = WidgetText::toWidget(titleFor(kind));
    // The skin in force gives the button height, the frame's limits and, when
    // UseSkinFont is on, the fonts it has; the default fonts stand in for the
    // ones it lacks.
    const TSkinValues &skin = TSkinEngine::instance().current()->values();
    look.labelFont = m_useSkinFont && skin.messageFont ? *skin.messageFont : m_defaultFont;
    look.buttonFont = m_useSkinFont && skin.buttonFont ? *skin.buttonFont : m_defaultButtonFont;
    look.buttonHeight = skin.buttonHeight;
    look.frameMinWidth = skin.framePictureWidth;
    look.frameBorderWidth = skin.borders.left() + skin.borders.right();
    look.frameHeight = skin.titleBarHeight + skin.borders.top() + skin.borders.bottom();

    auto dialog = std::make_unique<TMessageDialog>(text, kind, buttons, helpContext, look, parent);
    if (m_alphaBlend)
        dialog->setWindowOpacity(m_alphaBlendValue / 255.0);
    connect(dialog.get(), &TMessageDialog::helpRequested, this, &TbsSkinMessage::helpRequested);
    return dialog;
}

int TbsSkinMessage::ShowMessageBox(const std::string &text, TMsgKind kind, TMsgButtons buttons,
                                   int helpContext)
{
    if (hook())
        return hook()({text, kind, buttons, helpContext, titleFor(kind)});

    // Over the window the user works in, so it stays in front of it.
    QWidget *owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    std::unique_ptr<TMessageDialog> dialog = CreateMessageDialog(text, kind, buttons, helpContext, owner);
    const QPointer<TMessageDialog> alive(dialog.get());
    const int result = dialog->exec();
    if (!alive) {
        // The owner window went away during the loop and took the box with it.
        (void)dialog.release();
        return MsgClosedResult;
    }
    // A box hidden without a button (no result set) counts as closed.
    return result == 0 ? MsgClosedResult : result;
}
