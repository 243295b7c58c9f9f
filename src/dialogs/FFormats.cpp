#include "FFormats.h"

#include "ErrorHandler.h"
#include "FMain.h"
#include "ScreenPlace.h"
#include "TbsBusinessSkinForm.h"
#include "TbsSkinMessage.h"
#include "WidgetText.h"
#include "WindowLook.h"
#include "ui_FFormats.h"

#include <QByteArray>
#include <QHeaderView>

namespace {

// The grid's title row is its header, so grid row r is table row r - 1.
int tableRow(int gridRow)
{
    return gridRow - 1;
}
int gridRow(int tableRow)
{
    return tableRow + 1;
}

// A cell keeps the bytes it was filled with, so a field the user never edits
// goes back to the file exactly as it came, whatever its code page.
constexpr int storedBytesRole = Qt::UserRole;

const auto &formatFields = RecordTraits<TFormat>::fields;

} // namespace

TfrmFormat::TfrmFormat(TfrmMain &main, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmFormat>()), m_main(main)
{
    ui->setupUi(this);
    // A dialog border without caption buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());

    WindowLook::fitLabels(this);

    TStringGrid *grid = ui->grdSettings;
    // The title row is as high as the others; its column borders can be dragged.
    grid->horizontalHeader()->setFixedHeight(grid->verticalHeader()->defaultSectionSize());
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->horizontalHeader()->setSectionsClickable(false);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->setOnSelectCell([this](int row, int column) {
        // A failing handler refuses the move.
        bool allowed = false;
        ErrorHandler::run([&] { allowed = grdSettingsSelectCell(column, gridRow(row)); });
        return allowed;
    });

    connect(ui->btnSave, &QPushButton::clicked, this, ErrorHandler::guarded(this, &TfrmFormat::btnSaveClick));
    connect(ui->btnDelete, &QPushButton::clicked, this,
            ErrorHandler::guarded(this, &TfrmFormat::btnDeleteClick));
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
    TbsBusinessSkinForm::frame(this);
}

TfrmFormat::~TfrmFormat() { TbsBusinessSkinForm::release(this); }

void TfrmFormat::FormCreate()
{
    const TFormats &formats = m_main.formats();
    // Templates after the eighth have no row.
    for (int r = 1; r <= templateRows; ++r) {
        const int p = r - 1;
        for (int c = 0; c < int(formatFields.size()); ++c)
            setCell(r, c, p < formats.count() ? formats.record(p).*formatFields[c] : std::string());
    }
    ui->grdSettings->setCurrentCell(tableRow(firstEditableRow), 0);
}

bool TfrmFormat::grdSettingsSelectCell(int /*column*/, int row)
{
    if (row >= firstEditableRow)
        return true;
    tellReadOnly();
    return false;
}

void TfrmFormat::tellReadOnly()
{
    m_main.messageBox()->ShowMessageBox("These templates are read only.", TMsgKind::Information,
                                        TMsgButton::OK, 0);
}

void TfrmFormat::btnSaveClick()
{
    // Text typed into a cell and not yet confirmed belongs to the rows saved.
    ui->grdSettings->commitEdit();
    TFormats &formats = m_main.formats();
    formats.ClearAll();
    // Every row, empty ones too: the list holds exactly eight templates.
    for (int r = 1; r <= templateRows; ++r) {
        auto format = std::make_unique<TFormat>();
        for (int c = 0; c < int(formatFields.size()); ++c)
            (*format).*formatFields[c] = cellText(r, c);
        std::string entry = format->Name;
        formats.append(std::move(entry), std::move(format));
    }
    m_replacedTemplates = true;
    formats.SaveAll();
    accept();
}

void TfrmFormat::btnDeleteClick()
{
    TStringGrid *grid = ui->grdSettings;
    // An editor still open would put its text back into the emptied cell.
    grid->commitEdit();
    const int row = grid->currentRow();
    if (row < 0)
        return;
    for (int c = 0; c < grid->columnCount(); ++c)
        grid->item(row, c)->setText(QString());
}

void TfrmFormat::setCell(int row, int column, const std::string &text)
{
    auto *item = new QTableWidgetItem(WidgetText::toWidget(text));
    item->setData(storedBytesRole, QByteArray(text.data(), qsizetype(text.size())));
    ui->grdSettings->setItem(tableRow(row), column, item);
}

std::string TfrmFormat::cellText(int row, int column) const
{
    const QTableWidgetItem *item = ui->grdSettings->item(tableRow(row), column);
    if (!item)
        return {};
    const QByteArray stored = item->data(storedBytesRole).toByteArray();
    std::string original(stored.constData(), std::size_t(stored.size()));
    if (WidgetText::toWidget(original) == item->text())
        return original;
    return WidgetText::fromWidget(item->text());
}

void TfrmFormat::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        ScreenPlace::centreOnScreen(this);
    }
}
