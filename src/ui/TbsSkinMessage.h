#pragma once

#include "MessageBoxRules.h"

#include <QFont>
#include <QObject>

#include <functional>
#include <memory>
#include <string>

class TMessageDialog;

// What one message box was asked to show.
struct TMessageBoxCall {
    std::string text;
    TMsgKind kind = TMsgKind::Information;
    TMsgButtons buttons;
    int helpContext = 0;
    // The window title the box has: the kind's title, or the application's.
    std::string title;
};

// The message box component: every message of the program's own windows goes
// through it. Its settings name the skin and fonts the boxes are drawn with.
// The boxes are drawn in the skin in force: buttons as high as its "button"
// picture, windows at least as wide as its frame picture and, with UseSkinFont,
// its fonts where it has them.
class TbsSkinMessage : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString SkinData READ skinData WRITE setSkinData)
    Q_PROPERTY(QString CtrlSkinData READ ctrlSkinData WRITE setCtrlSkinData)
    Q_PROPERTY(QString ButtonSkinDataName READ buttonSkinDataName WRITE setButtonSkinDataName)
    Q_PROPERTY(
        QString MessageLabelSkinDataName READ messageLabelSkinDataName WRITE setMessageLabelSkinDataName)
    Q_PROPERTY(QFont DefaultFont READ defaultFont WRITE setDefaultFont)
    Q_PROPERTY(QFont DefaultButtonFont READ defaultButtonFont WRITE setDefaultButtonFont)
    Q_PROPERTY(bool UseSkinFont READ useSkinFont WRITE setUseSkinFont)
    Q_PROPERTY(bool AlphaBlend READ alphaBlend WRITE setAlphaBlend)
    Q_PROPERTY(bool AlphaBlendAnimation READ alphaBlendAnimation WRITE setAlphaBlendAnimation)
    Q_PROPERTY(int AlphaBlendValue READ alphaBlendValue WRITE setAlphaBlendValue)

public:
    explicit TbsSkinMessage(QObject *parent = nullptr);
    ~TbsSkinMessage() override;

    // Shows a modal box and returns the result of the button that closed it
    // (OK 1, Cancel 2, Abort 3, Retry 4, Ignore 5, Yes 6, No 7, All 8,
    // NoToAll 9, YesToAll 10), or 2 when it was closed otherwise. The text is
    // the program's 8-bit text; its own line breaks start new lines.
    int ShowMessageBox(const std::string &text, TMsgKind kind, TMsgButtons buttons, int helpContext);

    // The window ShowMessageBox would show, made but not shown, so that it can
    // be looked at or shown without a modal loop.
    std::unique_ptr<TMessageDialog> CreateMessageDialog(const std::string &text, TMsgKind kind,
                                                        TMsgButtons buttons, int helpContext,
                                                        QWidget *parent = nullptr) const;

    // What a box of this call is titled.
    static std::string titleFor(TMsgKind kind);

    // Tests answer boxes here instead of with the modal window: the hook gets
    // every call and returns its result. An empty hook restores the window.
    using Hook = std::function<int(const TMessageBoxCall &call)>;
    static void setHook(Hook hook);

    QString skinData() const { return m_skinData; }
    void setSkinData(const QString &name) { m_skinData = name; }
    QString ctrlSkinData() const { return m_ctrlSkinData; }
    void setCtrlSkinData(const QString &name) { m_ctrlSkinData = name; }
    QString buttonSkinDataName() const { return m_buttonSkinDataName; }
    void setButtonSkinDataName(const QString &name) { m_buttonSkinDataName = name; }
    QString messageLabelSkinDataName() const { return m_messageLabelSkinDataName; }
    void setMessageLabelSkinDataName(const QString &name) { m_messageLabelSkinDataName = name; }
    QFont defaultFont() const { return m_defaultFont; }
    void setDefaultFont(const QFont &font) { m_defaultFont = font; }
    QFont defaultButtonFont() const { return m_defaultButtonFont; }
    void setDefaultButtonFont(const QFont &font) { m_defaultButtonFont = font; }
    bool useSkinFont() const { return m_useSkinFont; }
    void setUseSkinFont(bool on) { m_useSkinFont = on; }
    bool alphaBlend() const { return m_alphaBlend; }
    void setAlphaBlend(bool on) { m_alphaBlend = on; }
    bool alphaBlendAnimation() const { return m_alphaBlendAnimation; }
    void setAlphaBlendAnimation(bool on) { m_alphaBlendAnimation = on; }
    int alphaBlendValue() const { return m_alphaBlendValue; }
    void setAlphaBlendValue(int value) { m_alphaBlendValue = value; }

signals:
    // A box's Help button was pressed. The program has no help file, so
    // nothing answers it yet and the box simply stays open.
    void helpRequested(int helpContext);

private:
    QString m_skinData;
    QString m_ctrlSkinData;
    QString m_buttonSkinDataName;
    QString m_messageLabelSkinDataName;
    QFont m_defaultFont;
    QFont m_defaultButtonFont;
    bool m_useSkinFont = true;
    bool m_alphaBlend = false;
    bool m_alphaBlendAnimation = false;
    int m_alphaBlendValue = 255;
};
