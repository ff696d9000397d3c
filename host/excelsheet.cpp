#include "host/excelsheet.h"

#include "common/messages.h"
#include "host/cellvalue.h"
#include "host/buffering/writebehind.h"

#include <cstdlib>
#include <limits>
#include <string_view>
#include <utility>

const char* const CellErrorCaption = Msg::CellError;

namespace {

bool BufferingWanted()
{
    const char* unbuffered = std::getenv("KORVEX_HOST_UNBUFFERED");
    return !unbuffered || std::string_view(unbuffered).empty() || std::string_view(unbuffered) == "0";
}

}  // namespace

TExcelApp::TExcelApp(const HostConnector& connect, MessageSink* messages)
    : messages_(messages)
    , buffered_(BufferingWanted())
{
    try {
        if (connect)
            backend_ = connect();
    } catch (...) {
        backend_.reset();
    }
}

TExcelApp::TExcelApp(std::shared_ptr<HostBackend> backend, MessageSink* messages)
    : backend_(std::move(backend))
    , messages_(messages)
    , buffered_(BufferingWanted())
{
}

void TExcelApp::AfterWrites(std::function<void()> action)
{
    if (session_ && session_->IsOpen())
        session_->AfterWrites(std::move(action));
    else
        action();
}

TWriteBehind::TWriteBehind(TExcelApp& app)
    : app_(app)
{
    if (app.Buffered() && !app.session_) {
        session_ = std::make_shared<WriteSession>();
        app.session_ = session_;
    }
}

TWriteBehind::~TWriteBehind()
{
    if (!session_)
        return;
    try {
        session_->Flush();
    } catch (...) {
        // Only reached on the way out of a failure, which is the one to report.
    }
    session_->End();
    app_.session_.reset();
}

bool TExcelApp::WouldWriteOverData(int workbookIndex, int sheetIndex, int row)
{
    if (!buffered_)
        return false;  // cell by cell, each cell is written over where it is
    try {
        std::unique_ptr<HostSheet> sheet = Backend().Sheet(workbookIndex, sheetIndex);
        return sheet->BlockAccess() && sheet->FasterIntoEmptyCells() && sheet->UsedArea().LastRow() >= row;
    } catch (...) {
        return false;  // the writes themselves report it
    }
}

TWriteSurvey::TWriteSurvey(TExcelApp& app)
    : app_(app)
{
    if (app.Buffered() && !app.session_) {
        session_ = std::make_shared<WriteSession>(true);
        app.session_ = session_;
    }
}

TWriteSurvey::~TWriteSurvey()
{
    End();
}

void TWriteSurvey::End()
{
    if (!session_)
        return;
    session_->End();
    app_.session_.reset();
    session_.reset();
}

bool TWriteSurvey::EmptyNotedCells()
{
    std::shared_ptr<WriteSession> session = session_;
    if (!session)
        return false;
    End();  // the writes made for real after this are held by a TWriteBehind of their own
    return session->EmptyNotedCells();
}

void TWriteBehind::Flush()
{
    if (app_.session_)
        app_.session_->Flush();
}

void TWriteBehind::Checkpoint()
{
    if (app_.session_)
        app_.session_->Checkpoint();
}

HostBackend& TExcelApp::Backend()
{
    if (!backend_)
        throw HostError(Msg::NoConnection);
    return *backend_;
}

int TExcelApp::GetWorkbookNames(std::vector<std::string>& names)
{
    try {
        int count = Backend().WorkbookCount();
        for (int i = 1; i <= count; ++i)
            names.push_back(Backend().WorkbookFullName(i));
    } catch (...) {
        // Reading ends silently; what was read stays.
    }
    return static_cast<int>(names.size());
}

int TExcelApp::GetSheetCount(int workbookIndex)
{
    try {
        if (workbookIndex <= Backend().WorkbookCount())
            return Backend().SheetCount(workbookIndex);
    } catch (...) {
    }
    return 0;
}

void TExcelSheet::Open(TExcelApp& app, std::string_view workbookName, int workbookIndex, int sheetIndex)
{
    sheet_.reset();
    target_.reset();
    readAhead_.Reset(false);
    messages_ = app.Messages();
    session_ = app.session_ && app.session_->IsOpen() ? app.session_ : nullptr;
    if (session_) {
        if (std::shared_ptr<WriteTarget> known = session_->Find(workbookIndex, sheetIndex)) {
            target_ = known;
            sheet_ = known->host;
            WorkbookName = std::string(workbookName);
            SheetName = known->name;
            readAhead_.Reset(app.Buffered() && sheet_->BlockAccess());
            return;
        }
    }
    try {
        HostBackend& host = app.Backend();
        if (workbookIndex <= host.WorkbookCount() && sheetIndex <= host.SheetCount(workbookIndex))
            sheet_ = host.Sheet(workbookIndex, sheetIndex);
    } catch (...) {
        sheet_.reset();
    }
    WorkbookName = std::string(workbookName);
    if (!sheet_)
        throw HostError(Msg::SheetUnavailable + WorkbookName + ", " + std::to_string(sheetIndex) +
                        Msg::SheetSuffix);
    SheetName = sheet_->Name();
    if (session_)
        target_ = session_->Add(workbookIndex, sheetIndex, sheet_, SheetName);
    readAhead_.Reset(app.Buffered() && sheet_->BlockAccess());
}

bool TExcelSheet::SheetAnswers() const
{
    try {
        sheet_->Name();
        return true;
    } catch (...) {
        return false;
    }
}

bool TExcelSheet::HoldingWrites() const
{
    return target_ && session_->IsOpen();
}

std::string TExcelSheet::AskedName::Text() const
{
    return name.empty() ? std::string(letters) + std::to_string(row) : std::string(name);
}

void TExcelSheet::ShowCellError(std::string_view cellName)
{
    if (messages_)
        messages_->Warning(CellErrorCaption, WorkbookName + " " + SheetName + " " + std::string(cellName));
}

std::string TExcelSheet::GetCellText(std::string_view cellName)
{
    std::string text;
    ReadText(ParseCellName(cellName), {cellName, {}, 0}, text);
    return text;
}

std::string TExcelSheet::GetCellText(std::string_view columnLetters, int row)
{
    std::string text;
    GetCellText(columnLetters, row, text);
    return text;
}

void TExcelSheet::GetCellText(std::string_view columnLetters, int row, std::string& text)
{
    // One letter, or two: the row digits follow the letters, so the name need not be
    // built to be read. Otherwise the name's own rule decides where the row starts.
    size_t rowStart = 0;
    int column = columnLetters.empty() ? 0 : CellNameColumn(columnLetters, rowStart);
    if (row < 1 || columnLetters.empty() || rowStart != columnLetters.size())
        text = GetCellText(std::string(columnLetters) + std::to_string(row));
    else
        ReadText({row, column}, {{}, columnLetters, row}, text);
}

void TExcelSheet::ReadText(CellAddress address, const AskedName& asked, std::string& text)
{
    // Held-back writes to this sheet first: a read sees every write made before it.
    // A refused one is a write failure, passed on as such.
    if (HoldingWrites() && session_->Holds(*target_))
        session_->Flush();
    text.clear();
    const CellValue* value = nullptr;
    try {
        if (!sheet_ || address.row < 1 || address.column < 1)
            throw HostError(Msg::NoSuchCell);
        value = &readAhead_.Read(*sheet_, address.row, address.column);
    } catch (...) {
        // An unreadable cell reads as empty only while its worksheet still answers.
        // Once the workbook is closed or the office has ended, every later cell would
        // read as empty too, and a caller would take the rest of the sheet for its end;
        // nor is the cell at fault then ("Hibás cella!"): the message says what happened.
        if (sheet_ && !SheetAnswers())
            throw HostError(Msg::SheetGone +
                            WorkbookName + " " + SheetName + Msg::WhileReadingCellStart + asked.Text() +
                            Msg::WhileReadingCell);
        ShowCellError(asked.Text());
        return;
    }
    // A text goes into the room text already has: it is most of what a sheet holds.
    if (value->kind == CellValue::Kind::Text) {
        text.assign(value->text);
        return;
    }
    try {
        text = CellValueText(*value);
    } catch (...) {
        ShowCellError(asked.Text());
        throw;
    }
}

void TExcelSheet::SetCellText(int row, int column, std::string_view text)
{
    if (!sheet_)
        throw HostError(Msg::NoOpenSheet);
    if (row < 0 || column < 0 || row == std::numeric_limits<int>::max() || column == std::numeric_limits<int>::max())
        throw HostError(Msg::CellOutsideSheet);
    readAhead_.Forget();
    if (HoldingWrites() && session_->Surveying()) {
        session_->Write(target_, row + 1, column + 1, {});  // only the cell is noted
        return;
    }
    CellValue value = CellValueForText(text);
    if (HoldingWrites())
        session_->Write(target_, row + 1, column + 1, std::move(value));
    else
        sheet_->WriteCell(row + 1, column + 1, value);
}
