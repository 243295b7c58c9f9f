#include "TbsSkinMessage.h"

#include "TMessageDialog.h"
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
    // With no skin loaded there are no skin fonts for UseSkinFont to prefer,
    // no skinned button height and no frame picture.
    look.labelFont = m_defaultFont;
    look.buttonFont = m_defaultButtonFont;

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
