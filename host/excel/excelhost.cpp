#include "host/excel/excelhost.h"

#include "common/messages.h"
#include "common/pathtext.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text, int length)
{
    if (!text || length <= 0)
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), size, nullptr, nullptr);
    return result;
}

std::wstring Wide(const std::string& text)
{
    if (text.empty())
        return {};
    int length = static_cast<int>(text.size());
    // Invalid UTF-8 becomes replacement characters rather than a failure.
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::wstring result(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, result.data(), size);
    return result;
}

std::string HresultText(HRESULT hr)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(hr));
    return buffer;
}

// Owns one BSTR.
class Bstr {
public:
    explicit Bstr(const std::wstring& text)
        : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
        if (!text_)
            throw HostError(Msg::ExcelTextNoMemory);
    }
    ~Bstr() { SysFreeString(text_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR Release() { return std::exchange(text_, nullptr); }

private:
    BSTR text_;
};

// Owns one VARIANT: cleared (strings freed, interfaces released) when it goes.
class Variant {
public:
    Variant() { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant& other)
        : Variant()
    {
        if (FAILED(VariantCopy(&value_, const_cast<VARIANT*>(&other.value_))))
            throw HostError(Msg::ExcelValueNotCopied);
    }
    Variant(Variant&& other) noexcept
        : value_(other.value_)
    {
        VariantInit(&other.value_);
    }
    Variant& operator=(const Variant&) = delete;

    static Variant Int(long number)
    {
        Variant v;
        v.value_.vt = VT_I4;
        v.value_.lVal = number;
        return v;
    }
    static Variant Double(double number)
    {
        Variant v;
        v.value_.vt = VT_R8;
        v.value_.dblVal = number;
        return v;
    }
    static Variant Date(double serial)
    {
        Variant v;
        v.value_.vt = VT_DATE;
        v.value_.date = serial;
        return v;
    }
    static Variant Bool(bool truth)
    {
        Variant v;
        v.value_.vt = VT_BOOL;
        v.value_.boolVal = truth ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    static Variant Text(const std::string& text)
    {
        Variant v;
        v.value_.bstrVal = Bstr(Wide(text)).Release();
        v.value_.vt = VT_BSTR;
        return v;
    }
    // Takes over an array of VARIANTs.
    static Variant Array(SAFEARRAY* adopted)
    {
        Variant v;
        v.value_.parray = adopted;
        v.value_.vt = VT_ARRAY | VT_VARIANT;
        return v;
    }

    VARIANT* get() { return &value_; }
    const VARIANT& operator*() const { return value_; }

private:
    VARIANT value_;
};

// Owns one reference to an automation object.
class Dispatch {
public:
    Dispatch() = default;
    explicit Dispatch(IDispatch* adopted)
        : object_(adopted)
    {
    }
    ~Dispatch()
    {
        if (object_)
            object_->Release();
    }
    Dispatch(const Dispatch& other)
        : object_(other.object_)
    {
        if (object_)
            object_->AddRef();
    }
    Dispatch(Dispatch&& other) noexcept
        : object_(std::exchange(other.object_, nullptr))
    {
    }
    bool Held() const { return object_ != nullptr; }
    Dispatch& operator=(Dispatch other) noexcept
    {
        std::swap(object_, other.object_);
        return *this;
    }

    // The object a VARIANT result refers to; HostError when it holds none.
    static Dispatch From(Variant& value, const char* member)
    {
        VARIANT& v = *value.get();
        if (v.vt != VT_DISPATCH || !v.pdispVal)
            throw HostError(std::string(Msg::ExcelNoObject) + member);
        v.pdispVal->AddRef();
        return Dispatch(v.pdispVal);
    }

    // Late-bound call by member name. Arguments in their natural order.
    Variant Invoke(const wchar_t* member, WORD kind, std::vector<Variant> arguments = {}) const
    {
        if (!object_)
            throw HostError(Msg::ExcelNoObjectAtAll);
        DISPID id = 0;
        LPOLESTR name = const_cast<LPOLESTR>(member);
        HRESULT hr = object_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr))
            throw HostError(Msg::ExcelNoMember + Utf8(member, lstrlenW(member)) + " (" + HresultText(hr) + ")");

        // IDispatch takes its arguments last to first.
        std::vector<VARIANT> reversed;
        for (auto it = arguments.rbegin(); it != arguments.rend(); ++it)
            reversed.push_back(**it);
        DISPID namedPut = DISPID_PROPERTYPUT;
        DISPPARAMS parameters{};
        parameters.rgvarg = reversed.empty() ? nullptr : reversed.data();
        parameters.cArgs = static_cast<UINT>(reversed.size());
        if (kind == DISPATCH_PROPERTYPUT) {
            parameters.rgdispidNamedArgs = &namedPut;
            parameters.cNamedArgs = 1;
        }
        Variant result;
        EXCEPINFO exception{};
        hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters,
                             kind == DISPATCH_PROPERTYPUT ? nullptr : result.get(), &exception, nullptr);
        if (FAILED(hr))
            throw HostError(CallFailure(member, hr, exception));
        return result;
    }

    Variant Get(const wchar_t* member, std::vector<Variant> arguments = {}) const
    {
        return Invoke(member, DISPATCH_PROPERTYGET | DISPATCH_METHOD, std::move(arguments));
    }
    Dispatch Object(const wchar_t* member, std::vector<Variant> arguments = {}) const
    {
        Variant value = Get(member, std::move(arguments));
        std::string name = Utf8(member, lstrlenW(member));
        return From(value, name.c_str());
    }
    void Put(const wchar_t* member, Variant value) const
    {
        std::vector<Variant> arguments;
        arguments.push_back(std::move(value));
        Invoke(member, DISPATCH_PROPERTYPUT, std::move(arguments));
    }

private:
    static std::string CallFailure(const wchar_t* member, HRESULT hr, EXCEPINFO& exception)
    {
        if (hr == DISP_E_EXCEPTION && exception.pfnDeferredFillIn)
            exception.pfnDeferredFillIn(&exception);
        std::string text = Msg::ExcelRefused + Utf8(member, lstrlenW(member)) + " (" + HresultText(hr);
        if (exception.bstrDescription)
            text += ": " + Utf8(exception.bstrDescription, static_cast<int>(SysStringLen(exception.bstrDescription)));
        text += ")";
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        return text;
    }

    IDispatch* object_ = nullptr;
};

// COM for the calling thread, for as long as the connection lives. A thread that
// already has another apartment model (an MTA) keeps it; calls work there too.
class ComApartment {
public:
    ComApartment()
        : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))
    {
    }
    ~ComApartment()
    {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

// The apartment is declared first so that it ends after the object references.
struct ExcelSession {
    ComApartment apartment;
    Dispatch application;
};

Variant Count(const Dispatch& collection)
{
    return collection.Get(L"Count");
}

int IntegerOf(const Variant& value, const char* what)
{
    Variant copy(value);
    if (FAILED(VariantChangeType(copy.get(), copy.get(), 0, VT_I4)))
        throw HostError(std::string(Msg::ExcelNoNumber) + what);
    return static_cast<int>((*copy).lVal);
}

bool TruthOf(const Variant& value, const char* what)
{
    Variant copy(value);
    if (FAILED(VariantChangeType(copy.get(), copy.get(), 0, VT_BOOL)))
        throw HostError(Msg::ExcelNoBoolean + std::string(what));
    return (*copy).boolVal != VARIANT_FALSE;
}

std::string TextOf(const Variant& value, const char* what)
{
    if ((*value).vt != VT_BSTR)
        throw HostError(std::string(Msg::ExcelNoText) + what);
    BSTR text = (*value).bstrVal;
    return Utf8(text, static_cast<int>(SysStringLen(text)));
}

// The raw Value of one cell. Whole and currency numbers are numbers too.
CellValue CellValueOf(const Variant& value)
{
    const VARIANT& v = *value;
    switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL: return CellValue::Empty();
    case VT_BSTR: return CellValue::FromText(Utf8(v.bstrVal, static_cast<int>(SysStringLen(v.bstrVal))));
    case VT_R8: return CellValue::FromNumber(v.dblVal);
    case VT_DATE: return CellValue::FromDateTime(v.date);
    case VT_BOOL: return CellValue::FromBoolean(v.boolVal != VARIANT_FALSE);
    case VT_ERROR: return CellValue::FromError();
    case VT_R4:
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_INT:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_UINT:
    case VT_CY:
    case VT_DECIMAL: {
        Variant number(value);
        if (SUCCEEDED(VariantChangeType(number.get(), number.get(), 0, VT_R8)))
            return CellValue::FromNumber((*number).dblVal);
        break;
    }
    default: break;
    }
    throw HostError(Msg::ExcelUnknownValue + std::to_string(v.vt) + ")");
}

// "A1", "XFD1048576": Excel's own names of cells.
std::string ColumnLetters(int column)
{
    std::string letters;
    for (; column > 0; column = (column - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
    return letters;
}

std::string RangeAddress(const CellRange& range)
{
    return ColumnLetters(range.column) + std::to_string(range.row) + ":" + ColumnLetters(range.LastColumn()) +
           std::to_string(range.LastRow());
}

// The cells of a Range's Value, row by row: a two-dimensional array (rows first) for
// several cells, the value itself for one.
std::vector<Variant> RangeCells(const Variant& value, const CellRange& range)
{
    std::vector<Variant> cells;
    const VARIANT& v = *value;
    if (!(v.vt & VT_ARRAY)) {
        if (range.Cells() != 1)
            throw HostError(Msg::ExcelSingleValue + RangeAddress(range));
        cells.push_back(value);
        return cells;
    }
    SAFEARRAY* array = (v.vt & VT_BYREF) ? *v.pparray : v.parray;
    if ((v.vt & VT_TYPEMASK) != VT_VARIANT || !array || SafeArrayGetDim(array) != 2)
        throw HostError(Msg::ExcelNoTable + RangeAddress(range));
    LONG rowLow = 0, rowHigh = -1, columnLow = 0, columnHigh = -1;
    SafeArrayGetLBound(array, 1, &rowLow);
    SafeArrayGetUBound(array, 1, &rowHigh);
    SafeArrayGetLBound(array, 2, &columnLow);
    SafeArrayGetUBound(array, 2, &columnHigh);
    if (rowHigh - rowLow + 1 != range.rows || columnHigh - columnLow + 1 != range.columns)
        throw HostError(Msg::ExcelTableSize + RangeAddress(range));
    cells.reserve(static_cast<size_t>(range.Cells()));
    for (LONG row = rowLow; row <= rowHigh; ++row) {
        for (LONG column = columnLow; column <= columnHigh; ++column) {
            // The indexes in the order of the dimensions: row, then column.
            LONG index[2] = {row, column};
            Variant cell;
            HRESULT hr = SafeArrayGetElement(array, index, cell.get());
            if (FAILED(hr))
                throw HostError(Msg::RangeValueNotReadable + RangeAddress(range) + " (" + HresultText(hr) + ")");
            cells.push_back(std::move(cell));
        }
    }
    return cells;
}

class ExcelSheet : public HostSheet {
public:
    ExcelSheet(std::shared_ptr<ExcelSession> session, Dispatch worksheet)
        : session_(std::move(session))
        , worksheet_(std::move(worksheet))
    {
    }

    std::string Name() override { return TextOf(worksheet_.Get(L"Name"), "Name"); }

    CellValue ReadCell(int row, int column) override { return CellValueOf(Cell(row, column).Get(L"Value")); }

    void WriteCell(int row, int column, const CellValue& value) override
    {
        Dispatch cell = Cell(row, column);
        switch (value.kind) {
        case CellValue::Kind::Empty: cell.Put(L"Value", Variant()); return;
        case CellValue::Kind::Text: cell.Put(L"Value", Variant::Text(LiteralText(cell, value.text))); return;
        case CellValue::Kind::Number: cell.Put(L"Value", Variant::Double(value.number)); return;
        case CellValue::Kind::DateTime: cell.Put(L"Value", Variant::Date(value.number)); return;
        case CellValue::Kind::Boolean: cell.Put(L"Value", Variant::Bool(value.number != 0)); return;
        case CellValue::Kind::Error: break;
        }
        throw HostError(Msg::ErrorValueNotWritable);
    }

    bool BlockAccess() const override { return true; }

    CellRange UsedArea() override
    {
        Dispatch used = worksheet_.Object(L"UsedRange");
        int top = IntegerOf(used.Get(L"Row"), "UsedRange.Row");
        int left = IntegerOf(used.Get(L"Column"), "UsedRange.Column");
        int rows = IntegerOf(Count(used.Object(L"Rows")), "UsedRange.Rows.Count");
        int columns = IntegerOf(Count(used.Object(L"Columns")), "UsedRange.Columns.Count");
        return {1, 1, top + rows - 1, left + columns - 1};
    }

    // Range.Value gives each cell as Cells().Value does: dates, truth values and
    // errors keep their kinds.
    std::vector<CellValue> ReadBlock(const CellRange& range) override
    {
        std::vector<CellValue> values;
        values.reserve(static_cast<size_t>(range.Cells()));
        for (const Variant& cell : RangeCells(Range(range).Get(L"Value"), range))
            values.push_back(CellValueOf(cell));
        return values;
    }

    // Range.Value takes a table of values; its texts are parsed like single ones, so
    // they get the same apostrophe.
    void WriteBlock(const CellRange& range, const std::vector<CellValue>& values) override
    {
        if (values.size() != static_cast<size_t>(range.Cells()))
            throw HostError(std::to_string(values.size()) + Msg::ValuesDoNotFit);
        Dispatch target = Range(range);
        TextRule rule = TextRuleOf(target, values);
        SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(range.rows), 1}, {static_cast<ULONG>(range.columns), 1}};
        SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
        if (!array)
            throw HostError(Msg::TableNoMemory + std::to_string(range.Cells()) + Msg::TableNoMemoryEnd);
        Variant table = Variant::Array(array);
        for (int r = 0; r < range.rows; ++r) {
            for (int c = 0; c < range.columns; ++c) {
                const CellValue& value = values[static_cast<size_t>(r) * range.columns + c];
                Variant cell = ValueVariant(value, [&] {
                    return rule == TextRule::CellByCell ? LiteralText(Cell(range.row + r, range.column + c), value.text)
                                                        : Literal(value.text, rule == TextRule::AsItIs);
                });
                LONG index[2] = {r + 1, c + 1};
                HRESULT hr = SafeArrayPutElement(array, index, cell.get());
                if (FAILED(hr))
                    throw HostError(Msg::TableNotCreated + HresultText(hr) + ")");
            }
        }
        target.Put(L"Value", std::move(table));
    }

    // Excel keeps notes and formats when a value is assigned: only cells with
    // content count.
    BlockWriteLimits WriteLimits(const CellRange& area) override
    {
        BlockWriteLimits limits;
        std::vector<Variant> cells = RangeCells(Range(area).Get(L"Value"), area);
        for (int r = 0; r < area.rows; ++r) {
            for (int c = 0; c < area.columns; ++c) {
                VARTYPE type = (*cells[static_cast<size_t>(r) * area.columns + c]).vt;
                if (type == VT_EMPTY)
                    continue;
                CellRange* last = limits.occupied.empty() ? nullptr : &limits.occupied.back();
                if (last && last->row == area.row + r && last->LastColumn() == area.column + c - 1)
                    ++last->columns;
                else
                    limits.occupied.push_back({area.row + r, area.column + c, 1, 1});
            }
        }
        return limits;
    }

private:
    // How the texts of a block are made literal: the whole range has the text format
    // (they go as they are), none has (each gets an apostrophe), or the cells differ.
    enum class TextRule { AsItIs, Apostrophe, CellByCell };

    static TextRule TextRuleOf(const Dispatch& range, const std::vector<CellValue>& values)
    {
        bool texts = std::any_of(values.begin(), values.end(), [](const CellValue& value) {
            return value.kind == CellValue::Kind::Text && !value.text.empty();
        });
        if (!texts)
            return TextRule::Apostrophe;
        Variant format = range.Get(L"NumberFormat");
        if ((*format).vt != VT_BSTR)
            return TextRule::CellByCell;  // Null: the cells have different formats
        return TextOf(format, "NumberFormat") == "@" ? TextRule::AsItIs : TextRule::Apostrophe;
    }

    template <class LiteralOf>
    static Variant ValueVariant(const CellValue& value, LiteralOf literal)
    {
        switch (value.kind) {
        case CellValue::Kind::Empty: return Variant();
        case CellValue::Kind::Text: return Variant::Text(value.text.empty() ? value.text : literal());
        case CellValue::Kind::Number: return Variant::Double(value.number);
        case CellValue::Kind::DateTime: return Variant::Date(value.number);
        case CellValue::Kind::Boolean: return Variant::Bool(value.number != 0);
        case CellValue::Kind::Error: break;
        }
        throw HostError(Msg::ErrorValueNotWritable);
    }

    Dispatch Range(const CellRange& range) const
    {
        if (range.Empty() || range.row < 1 || range.column < 1)
            throw HostError(Msg::NoSuchRange);
        std::vector<Variant> address;
        address.push_back(Variant::Text(RangeAddress(range)));
        return worksheet_.Object(L"Range", std::move(address));
    }

    Dispatch Cell(int row, int column) const
    {
        if (row < 1 || column < 1)
            throw HostError(Msg::NoSuchCell + std::string(": ") + std::to_string(row) + Msg::RowComma + std::to_string(column) +
                            Msg::ColumnSuffix);
        std::vector<Variant> position;
        position.push_back(Variant::Int(row));
        position.push_back(Variant::Int(column));
        return worksheet_.Object(L"Cells", std::move(position));
    }

    // Excel parses an assigned text like typed input ("=1+1" becomes a formula, "01234"
    // the number 1234). A leading apostrophe makes it keep the text as it is and is not
    // part of the value. It leaves the cell's format alone, unlike switching the cell
    // to the text format "@"; in a cell that already has that format, Excel keeps
    // every text literally and the apostrophe would stay, so none is added there.
    static std::string LiteralText(const Dispatch& cell, const std::string& text)
    {
        if (text.empty())
            return text;
        Variant format = cell.Get(L"NumberFormat");
        return Literal(text, (*format).vt == VT_BSTR && TextOf(format, "NumberFormat") == "@");
    }

    static std::string Literal(const std::string& text, bool textFormat)
    {
        return textFormat ? text : "'" + text;
    }

    std::shared_ptr<ExcelSession> session_;  // declared first: outlives the worksheet reference
    Dispatch worksheet_;
};

class ExcelHost : public HostBackend {
public:
    explicit ExcelHost(std::shared_ptr<ExcelSession> session)
        : session_(std::move(session))
    {
    }

    int WorkbookCount() override { return IntegerOf(Count(Workbooks()), "Workbooks.Count"); }

    std::string WorkbookFullName(int book) override { return TextOf(Workbook(book).Get(L"FullName"), "FullName"); }

    int SheetCount(int book) override
    {
        return IntegerOf(Count(Workbook(book).Object(L"Worksheets")), "Worksheets.Count");
    }

    std::unique_ptr<HostSheet> Sheet(int book, int sheet) override
    {
        std::vector<Variant> index;
        index.push_back(Variant::Int(sheet));
        Dispatch worksheet = Workbook(book).Object(L"Worksheets").Object(L"Item", std::move(index));
        return std::make_unique<ExcelSheet>(session_, std::move(worksheet));
    }

private:
    Dispatch Workbooks() const { return session_->application.Object(L"Workbooks"); }

    Dispatch Workbook(int book) const
    {
        std::vector<Variant> index;
        index.push_back(Variant::Int(book));
        return Workbooks().Object(L"Item", std::move(index));
    }

    std::shared_ptr<ExcelSession> session_;
};

namespace fs = std::filesystem;

Dispatch WorkbookAt(const Dispatch& application, int position)
{
    std::vector<Variant> index;
    index.push_back(Variant::Int(position));
    return application.Object(L"Workbooks").Object(L"Item", std::move(index));
}

// Excel's mark that someone has a workbook open: the owner file "~$NAME" beside it.
fs::path OwnerFileOf(const fs::path& file)
{
    return file.parent_path() / (L"~$" + file.filename().wstring());
}

// A workbook Excel opened read-only (someone else has the file open, or the file is
// marked read-only) cannot be saved in place: said before anything is stored.
void RefuseReadOnly(const Dispatch& workbook, const fs::path& file)
{
    if (!TruthOf(workbook.Get(L"ReadOnly"), "ReadOnly"))
        return;
    std::error_code error;
    const fs::path owner = OwnerFileOf(file);
    if (fs::exists(owner, error))
        throw HostError(Msg::ExcelOpenedElsewhere + Utf8FromPath(owner.filename()) + Msg::ExcelOpenedElsewhereTail +
                        Utf8FromPath(file));
    throw HostError(Msg::ExcelOpenedReadOnly + Utf8FromPath(file));
}

// A copy written next to its target and moved over it: the old file stays whole until
// the new one is complete.
void SaveCopyAtomically(const Dispatch& workbook, const fs::path& target)
{
    fs::path temp = target.parent_path() / fs::path(L".~" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                                    target.filename().wstring());
    std::vector<Variant> name;
    name.push_back(Variant::Text(Utf8FromPath(temp)));
    try {
        workbook.Invoke(L"SaveCopyAs", DISPATCH_METHOD, std::move(name));
    } catch (const HostError& error) {
        DeleteFileW(temp.c_str());
        throw HostError(Msg::WorkbookNotSaved + Utf8FromPath(target) + " (" + error.what() + ")");
    }
    if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DWORD code = GetLastError();
        DeleteFileW(temp.c_str());
        throw HostError(Msg::WorkbookNotSaved + Utf8FromPath(target) + " (" + HresultText(HRESULT_FROM_WIN32(code)) + ")");
    }
}

std::vector<std::string> StoreWorkbooksOf(const Dispatch& application, const std::vector<int>& positions,
                                          const std::string& saveAsDir, bool force)
{
    const int count = IntegerOf(Count(application.Object(L"Workbooks")), "Workbooks.Count");
    std::vector<int> chosen = positions;
    if (chosen.empty()) {
        for (int position = 1; position <= count; ++position)
            chosen.push_back(position);
    }
    // Which file each chosen workbook goes to, all settled before anything is stored.
    std::vector<std::pair<int, fs::path>> plan;
    std::set<std::wstring> targets;
    for (int position : chosen) {
        if (position < 1 || position > count)
            throw HostError(Msg::NoWorkbookAt + std::to_string(position) + Msg::WorkbookAtSuffix);
        Dispatch workbook = WorkbookAt(application, position);
        std::string name = TextOf(workbook.Get(L"FullName"), "FullName");
        fs::path source = PathFromUtf8(name);
        if (!source.is_absolute())
            throw HostError(Msg::WorkbookHasNoFile + name);
        if (saveAsDir.empty())
            RefuseReadOnly(workbook, source);
        fs::path target = saveAsDir.empty() ? source : fs::absolute(PathFromUtf8(saveAsDir)) / source.filename();
        target = target.lexically_normal();
        // Windows file names ignore letter case.
        std::wstring key = target.wstring();
        CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
        if (!targets.insert(key).second)
            throw HostError(Msg::TwoWorkbooksOneFile + Utf8FromPath(target));
        plan.emplace_back(position, std::move(target));
    }
    // A copy does not replace a file that is there already. In place, Excel's own Save
    // holds the file, and one opened read-only was refused above.
    if (!force && !saveAsDir.empty()) {
        for (const auto& [position, target] : plan) {
            std::error_code error;
            if (fs::exists(fs::symlink_status(target, error)))
                throw HostError(Msg::TargetExists + Utf8FromPath(target) + Msg::OfWorkbook + std::to_string(position) +
                                ".)");
        }
    }
    std::vector<std::string> written;
    for (const auto& [position, target] : plan) {
        Dispatch workbook = WorkbookAt(application, position);
        if (saveAsDir.empty()) {
            try {
                workbook.Invoke(L"Save", DISPATCH_METHOD);
            } catch (const HostError& error) {
                throw HostError(Msg::WorkbookNotSaved + Utf8FromPath(target) + " (" + error.what() + ")");
            }
        } else {
            SaveCopyAtomically(workbook, target);
        }
        written.push_back(Utf8FromPath(target));
    }
    return written;
}

// The running Excel's application object, or none.
Dispatch RunningExcel()
{
    CLSID excel{};
    if (FAILED(CLSIDFromProgID(L"Excel.Application", &excel)))
        return {};  // Excel is not installed
    IUnknown* running = nullptr;
    if (FAILED(GetActiveObject(excel, nullptr, &running)) || !running)
        return {};  // installed, but not running
    IDispatch* application = nullptr;
    HRESULT hr = running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&application));
    running->Release();
    if (FAILED(hr) || !application)
        return {};
    return Dispatch(application);
}

}  // namespace

std::shared_ptr<HostBackend> ConnectExcel()
{
    auto session = std::make_shared<ExcelSession>();
    session->application = RunningExcel();
    if (!session->application.Held())
        return nullptr;
    return std::make_shared<ExcelHost>(session);
}

std::vector<std::string> StoreExcelWorkbooks(const std::vector<int>& positions, const std::string& saveAsDir,
                                             bool force)
{
    ComApartment apartment;
    Dispatch application = RunningExcel();
    if (!application.Held())
        throw HostError(Msg::ExcelUnreachable);
    return StoreWorkbooksOf(application, positions, saveAsDir, force);
}

struct PrivateExcel::Impl {
    std::shared_ptr<ExcelSession> session = std::make_shared<ExcelSession>();
};

PrivateExcel::PrivateExcel()
    : impl_(std::make_unique<Impl>())
{
    CLSID excel{};
    HRESULT hr = CLSIDFromProgID(L"Excel.Application", &excel);
    if (FAILED(hr))
        throw HostError(Msg::ExcelNotInstalled + HresultText(hr) + ")");
    IDispatch* application = nullptr;
    hr = CoCreateInstance(excel, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&application));
    if (FAILED(hr) || !application)
        throw HostError(Msg::ExcelNotStarted + HresultText(hr) + ")");
    impl_->session->application = Dispatch(application);
    try {
        // A fresh instance is invisible already; said explicitly, as it must stay so.
        impl_->session->application.Put(L"Visible", Variant::Bool(false));
        impl_->session->application.Put(L"DisplayAlerts", Variant::Bool(false));
    } catch (const HostError&) {
        Quit();
        throw;
    }
}

PrivateExcel::~PrivateExcel()
{
    Quit();
}

void PrivateExcel::Open(const std::string& file)
{
    std::error_code error;
    fs::path full = fs::absolute(PathFromUtf8(file), error);
    std::vector<Variant> arguments;
    arguments.push_back(Variant::Text(Utf8FromPath(error ? PathFromUtf8(file) : full.lexically_normal())));
    arguments.push_back(Variant::Int(0));  // UpdateLinks: none
    try {
        impl_->session->application.Object(L"Workbooks").Invoke(L"Open", DISPATCH_METHOD, std::move(arguments));
    } catch (const HostError& failure) {
        throw HostError(Msg::FileNotOpened + file + " (" + failure.what() + ")");
    }
}

std::shared_ptr<HostBackend> PrivateExcel::Connect() const
{
    if (!impl_->session->application.Held())
        return nullptr;
    return std::make_shared<ExcelHost>(impl_->session);
}

std::vector<std::string> PrivateExcel::Store(const std::vector<int>& positions, const std::string& saveAsDir,
                                             bool force)
{
    return StoreWorkbooksOf(impl_->session->application, positions, saveAsDir, force);
}

void PrivateExcel::Quit() noexcept
{
    Dispatch& application = impl_->session->application;
    if (!application.Held())
        return;
    try {
        Dispatch books = application.Object(L"Workbooks");
        for (int left = IntegerOf(Count(books), "Workbooks.Count"); left > 0; --left) {
            std::vector<Variant> index;
            index.push_back(Variant::Int(left));
            std::vector<Variant> noSave;
            noSave.push_back(Variant::Bool(false));  // SaveChanges
            books.Object(L"Item", std::move(index)).Invoke(L"Close", DISPATCH_METHOD, std::move(noSave));
        }
    } catch (const HostError&) {
        // Quit below ends it anyway; DisplayAlerts is off, so nothing asks.
    }
    try {
        application.Invoke(L"Quit", DISPATCH_METHOD);
    } catch (const HostError&) {
        // Gone already.
    }
    application = Dispatch();
}
