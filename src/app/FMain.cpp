#include "FMain.h"

#include "BannerLayout.h"
#include "BrandingClicks.h"
#include "ErrorHandler.h"
#include "Clipboard.h"
#include "FLogin.h"
#include "EventHooks.h"
#include "FFormats.h"
#include "FUMessages.h"
#include "FieldFilling.h"
#include "FooterLinks.h"
#include "LoadBranding.h"
#include "Markup.h"
#include "ModalDialog.h"
#include "ScreenPlace.h"
#include "ScrollBarMirror.h"
#include "SingleLine.h"
#include "TBrowserPane.h"
#include "TDockLayout.h"
#include "TForumPanel.h"
#include "TPostingRun.h"
#include "TRandom.h"
#include "TUpdateChecker.h"
#include "TbsBusinessSkinForm.h"
#include "TbsSkinData.h"
#include "TbsSkinMessage.h"
#include "WidgetText.h"
#include "WindowLook.h"
#include "ui_FMain.h"

#include <QKeyEvent>
#include <QAbstractButton>
#include <QScrollBar>
#include <QTimer>

TfrmMain *frmMain = nullptr;

TfrmMain::TfrmMain(std::filesystem::path appDir, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::TfrmMain>()), m_appDir(std::move(appDir))
{
    // The tool-button pictures are compiled into the window library.
    Q_INIT_RESOURCE(icons);
    // Into the skinned frame before the controls exist: moving a finished
    // window there would restyle every control once more. The frame follows
    // the size, title and icon the form data sets next.
    TbsBusinessSkinForm::frame(this);
    ui->setupUi(this);
    bsSkinData1 = new TbsSkinData(this);
    bsSkinData1->setObjectName(QStringLiteral("bsSkinData1"));
    TDockLayout::install(this);
    for (QLineEdit *edit : {ui->edtURL, ui->edtSubject, ui->edtUsername, ui->edtPassword})
        SingleLine::hold(edit);
    connectBodyScrollBar();
    createMessageBox();
    connectBrowser();
    connectBranding();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, ErrorHandler::guarded(this, &TfrmMain::Timer1Timer));
    onClick(ui->btnPreview, &TfrmMain::btnPreviewClick);
    onClick(ui->btnCopy, &TfrmMain::btnCopyClick);

    onClick(ui->btnSave, &TfrmMain::btnSaveClick);
    onClick(ui->btnLoad, &TfrmMain::btnLoadClick);
    onClick(ui->btnOptions, &TfrmMain::btnOptionsClick);
    m_updates = new TUpdateChecker(*this, m_appDir, *msgMain, *ui->btnUpdate);
    onClick(ui->btnUpdate, &TfrmMain::btnUpdateClick);

    frmMain = this;
    FormCreate();
    connectForumPanel();
    connectPostingRun();
}

TfrmMain::~TfrmMain()
{
    TbsBusinessSkinForm::release(this);
    // No control that goes down with the window may call a handler any more.
    for (QObject *child : findChildren<QObject *>())
        disconnect(child, nullptr, this, nullptr);
    m_postingRun.reset();
    m_forumPanel.reset();
    m_browserPane.reset();
    FormDestroy();
    if (frmMain == this)
        frmMain = nullptr;
}

void TfrmMain::onClick(QAbstractButton *button, void (TfrmMain::*handler)())
{
    connect(button, &QAbstractButton::clicked, this, ErrorHandler::guarded(this, handler));
}

void TfrmMain::FormCreate()
{
    ui->gifBanner->setGeometry(ui->imgBanner->geometry());

    // The lists exist before any step runs, so that every later operation finds
    // them even when a step fails.
    m_messages = std::make_unique<TFMessages>(m_appDir);
    m_forums = std::make_unique<TForums>(m_appDir);
    m_formats = std::make_unique<TFormats>(m_appDir);

    try {
        LoadBranding();
        m_messages->LoadAll();
        m_forums->LoadAll();
        fillForumList();
        m_formats->LoadAll();
        fillFormatChooser();
        Timer1->start();
    } catch (...) {
        // The steps after the failing one do not run. The window still opens,
        // and the error is shown over it once the event loop runs.
        ErrorHandler::reportLater(std::current_exception());
    }
}

void TfrmMain::LoadBranding()
{
    const BrandingControls controls{this, ui->panBanner, ui->imgBanner, ui->gifBanner, ui->lblLink1URL,
                                    ui->lblLink2URL};
    ::LoadBranding(m_appDir, controls, TRandom::run(),
                   [this](const std::filesystem::path &file) { return bsSkinData1->LoadFromCompressedFile(file); },
                   m_branding);
}

void TfrmMain::connectBranding()
{
    EventHooks::onClick(ui->imgBanner, [this] { imgBannerClick(); });
    EventHooks::onClick(ui->gifBanner, [this] { gifBannerClick(); });
    for (QLabel *link : {ui->lblLink1URL, ui->lblLink2URL})
        EventHooks::onClick(link, [link] { FooterLinks::open(link); });
    onClick(ui->btnMakeMoney, &TfrmMain::btnMakeMoneyClick);
    onClick(ui->btnHelp, &TfrmMain::btnHelpClick);
}

void TfrmMain::imgBannerClick() { BrandingClicks::openBannerPage(m_branding); }

void TfrmMain::gifBannerClick() { BrandingClicks::openBannerPage(m_branding); }

void TfrmMain::btnMakeMoneyClick() { BrandingClicks::openAffiliateSite(m_branding); }

void TfrmMain::btnHelpClick() { BrandingClicks::openHelp(); }

void TfrmMain::FormDestroy()
{
    m_messages.reset();
    m_forums.reset();
    m_formats.reset();
}

void TfrmMain::FormShow() { centreBanner(); }

void TfrmMain::FormResize() { centreBanner(); }

void TfrmMain::Timer1Timer()
{
    Timer1->stop();
    m_updates->CheckForUpdates(true);
}

void TfrmMain::btnUpdateClick() { m_updates->CheckForUpdates(false); }

void TfrmMain::btnSaveClick()
{
    const std::string subject = WidgetText::fromWidget(ui->edtSubject->text());
    const std::string body = WidgetText::memoText(ui->memBody);
    if (subject.empty() && body.empty())
        return;
    // Stored exactly as written: nothing is trimmed, the body keeps its CR LF.
    m_messages->append(subject, std::make_unique<TFMessage>(TFMessage{subject, body}));
    m_messages->SaveAll();
}

void TfrmMain::btnLoadClick()
{
    // The dialog copies the chosen message into the editor itself.
    TfrmFMessages dialog(*this, this);
    ModalDialog::exec(dialog);
}

void TfrmMain::btnOptionsClick()
{
    TfrmFormat dialog(*this, this);
    const bool accepted = ModalDialog::exec(dialog) == QDialog::Accepted;
    // A save whose file could not be written has still replaced the list in
    // memory: the chooser must offer what the list now holds.
    if (accepted || dialog.replacedTemplates())
        fillFormatChooser();
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        ScreenPlace::centreOnScreen(this);
    }
    ErrorHandler::run([this] { FormShow(); });
}

void TfrmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ErrorHandler::run([this] { FormResize(); });
}

void TfrmMain::centreBanner()
{
    const QSize strip = ui->panBanner->size();
    for (QWidget *picture : {static_cast<QWidget *>(ui->imgBanner), static_cast<QWidget *>(ui->gifBanner)})
        picture->move(centredOffset(strip.width(), picture->width()),
                      centredOffset(strip.height(), picture->height()));
}

void TfrmMain::fillForumList()
{
    for (int i = 0; i < m_forums->count(); ++i)
        ui->lvwForums->addItem(WidgetText::toWidget(m_forums->record(i).URL));
    ui->lvwForums->setCurrentRow(-1);
}

void TfrmMain::fillFormatChooser()
{
    ui->cbxFormat->clear();
    for (const std::string &entry : FormatChooserEntries(*m_formats))
        ui->cbxFormat->addItem(WidgetText::toWidget(entry));
    ui->cbxFormat->setCurrentIndex(0);
}

void TfrmMain::connectBodyScrollBar()
{
    // The body's own scroll bar is hidden; the one beside it mirrors it.
    ScrollBarMirror::follow(ui->memBody, ui->bsSkinScrollBar1);

    // The selection stays visible when the body loses the focus.
    WindowLook::keepSelectionVisible(ui->memBody);
}

void TfrmMain::createMessageBox()
{
    msgMain = new TbsSkinMessage(this);
    msgMain->setObjectName(QStringLiteral("msgMain"));
    msgMain->setSkinData(QStringLiteral("bsSkinData1"));
    msgMain->setCtrlSkinData(QStringLiteral("bsSkinData1"));
    msgMain->setButtonSkinDataName(QStringLiteral("button"));
    msgMain->setMessageLabelSkinDataName(QStringLiteral("stdlabel"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(15);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    msgMain->setDefaultFont(font);
    msgMain->setDefaultButtonFont(font);
    msgMain->setUseSkinFont(true);
    msgMain->setAlphaBlend(false);
    msgMain->setAlphaBlendAnimation(false);
    msgMain->setAlphaBlendValue(200);
}

int TfrmMain::formatIndex() const { return ui->cbxFormat->currentIndex() - 1; }

std::string TfrmMain::MarkupText(std::string_view text, int index) const
{
    return ::MarkupText(text, index, *m_formats);
}

std::string TfrmMain::WrapURL(std::string_view url, int index) const { return ::WrapURL(url, index, *m_formats); }

std::string TfrmMain::WrapEmail(std::string_view email, int index) const
{
    return ::WrapEmail(email, index, *m_formats);
}

void TfrmMain::btnPreviewClick()
{
    const int index = formatIndex();
    std::string subject = MarkupText(WidgetText::fromWidget(ui->edtSubject->text()), index);
    const std::string body = MarkupText(WidgetText::memoText(ui->memBody), index);
    // The subject is set off from the body by LF CR LF CR.
    if (!subject.empty())
        subject += "\n\r\n\r";
    // The user checks the links here: every "&" shows as it stands.
    msgMain->ShowMessageBox(ShownAsTyped(subject + body), TMsgKind::Custom, TMsgButton::OK, 0);
}

void TfrmMain::btnCopyClick()
{
    const std::string body = MarkupText(WidgetText::memoText(ui->memBody), formatIndex());
    // Replaces everything the clipboard held, in every format, with this text.
    Clipboard::setText(body);
}

void TfrmMain::connectBrowser()
{
    // Cookies of the user's logins live beside the data files, like them kept
    // from one run to the next.
    ui->EmbeddedWB1->setStorageDirectory(m_appDir / "BrowserProfile");
    ui->EmbeddedWB1->setLoginDialog(TfrmLogin::ask);
    m_browserPane = std::make_unique<TBrowserPane>(*ui->edtURL, *ui->EmbeddedWB1, *msgMain);

    onClick(ui->bsSkinSpeedButton1, &TfrmMain::bsSkinSpeedButton1Click);
    onClick(ui->bsSkinSpeedButton2, &TfrmMain::bsSkinSpeedButton2Click);
    onClick(ui->bsSkinSpeedButton4, &TfrmMain::bsSkinSpeedButton4Click);
    onClick(ui->bsSkinSpeedButton3, &TfrmMain::bsSkinSpeedButton3Click);
    onClick(ui->bsSkinButton2, &TfrmMain::bsSkinButton2Click);
    EventHooks::onKeyDown(ui->edtURL, [this](const QKeyEvent &event) { edtURLKeyDown(event); });

    onClick(ui->btnSPaste, &TfrmMain::btnSPasteClick);
    onClick(ui->btnBPaste, &TfrmMain::btnBPasteClick);
    onClick(ui->btnUPaste, &TfrmMain::btnUPasteClick);
    onClick(ui->btnWPaste, &TfrmMain::btnWPasteClick);
    onClick(ui->btnAutoInsert, &TfrmMain::btnAutoInsertClick);
}

void TfrmMain::connectForumPanel()
{
    m_forumPanel = std::make_unique<TForumPanel>(*m_forums, *ui->lvwForums, *ui->edtUsername,
                                                 *ui->edtPassword, *ui->edtURL, *m_browserPane);
    onClick(ui->btnAddURL, &TfrmMain::btnAddURLClick);
    onClick(ui->btnRemoveURL, &TfrmMain::btnRemoveURLClick);
    connect(ui->lvwForums, &QListWidget::itemSelectionChanged, this,
            ErrorHandler::guarded(this, &TfrmMain::lvwForumsListBoxClick));
    EventHooks::onDoubleClick(ui->lvwForums->viewport(), [this] { lvwForumsListBoxDblClick(); });
    EventHooks::onKeyDown(ui->lvwForums, [this](const QKeyEvent &event) { lvwForumsListBoxKeyDown(event); });
    connect(ui->edtUsername, &QLineEdit::textChanged, this,
            ErrorHandler::guarded(this, &TfrmMain::edtUsernameChange));
    connect(ui->edtPassword, &QLineEdit::textChanged, this,
            ErrorHandler::guarded(this, &TfrmMain::edtPasswordChange));
}

void TfrmMain::connectPostingRun()
{
    // The list's context menu opens and removes forums as the list itself does.
    m_postingRun = std::make_unique<TPostingRun>(
        *m_forums, m_appDir,
        PostingControls{*ui->lvwForums, *ui->edtSubject, *ui->memBody, *ui->lblStatus, *ui->EmbeddedWB1,
                        {ui->btnAutoInsert, ui->btnSPaste, ui->btnBPaste}},
        ForumCommands{[this] { lvwForumsListBoxDblClick(); }, [this] { btnRemoveURLClick(); }});
}

void TfrmMain::bsSkinSpeedButton1Click() { m_browserPane->back(); }

void TfrmMain::bsSkinSpeedButton2Click() { m_browserPane->forward(); }

void TfrmMain::bsSkinSpeedButton4Click() { m_browserPane->refresh(); }

void TfrmMain::bsSkinSpeedButton3Click() { m_browserPane->stop(); }

void TfrmMain::bsSkinButton2Click() { m_browserPane->go(); }

void TfrmMain::edtURLKeyDown(const QKeyEvent &event) { m_browserPane->addressKeyDown(event); }

void TfrmMain::btnSPasteClick()
{
    FieldFilling::paste(*ui->EmbeddedWB1, WidgetText::fromWidget(ui->edtSubject->text()));
}

void TfrmMain::btnBPasteClick() { FieldFilling::paste(*ui->EmbeddedWB1, WidgetText::memoText(ui->memBody)); }

void TfrmMain::btnUPasteClick()
{
    FieldFilling::paste(*ui->EmbeddedWB1, WidgetText::fromWidget(ui->edtUsername->text()));
}

void TfrmMain::btnWPasteClick()
{
    FieldFilling::pastePassword(*ui->EmbeddedWB1, WidgetText::fromWidget(ui->edtPassword->text()));
}

void TfrmMain::btnAutoInsertClick()
{
    FieldFilling::autoInsert(*ui->EmbeddedWB1, WidgetText::fromWidget(ui->edtSubject->text()),
                             WidgetText::memoText(ui->memBody));
}

void TfrmMain::btnAddURLClick() { m_forumPanel->addCurrentUrl(); }

void TfrmMain::btnRemoveURLClick() { m_forumPanel->removeSelected(); }

void TfrmMain::lvwForumsListBoxClick() { m_forumPanel->showSelected(); }

void TfrmMain::lvwForumsListBoxDblClick() { m_forumPanel->openSelected(); }

void TfrmMain::lvwForumsListBoxKeyDown(const QKeyEvent &event) { m_forumPanel->listKeyDown(event); }

void TfrmMain::edtUsernameChange() { m_forumPanel->usernameChanged(); }

void TfrmMain::edtPasswordChange() { m_forumPanel->passwordChanged(); }
