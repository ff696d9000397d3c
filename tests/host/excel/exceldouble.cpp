#include "tests/host/excel/exceldouble.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <fstream>
#include <functional>

namespace exceldouble {

// {6B1C1A54-0D5E-4C7B-9A7E-4B6F6E0D2A11}
const CLSID ClsidApplication = {0x6b1c1a54, 0x0d5e, 0x4c7b, {0x9a, 0x7e, 0x4b, 0x6f, 0x6e, 0x0d, 0x2a, 0x11}};

Cell Sheet::Get(int row, int column) const
{
    auto it = cells.find({row, column});
    return it == cells.end() ? Cell() : it->second;
}

namespace {

std::wstring Upper(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

std::wstring WideOf(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), size);
    return text;
}

std::string Utf8Of(const std::wstring& text)
{
    if (text.empty())
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

bool IsDateFormat(const std::wstring& format)
{
    std::wstring upper = Upper(format);
    return upper.find(L"YY") != std::wstring::npos || upper.find(L"DD") != std::wstring::npos ||
           upper.find(L"H:MM") != std::wstring::npos;
}

bool IsCurrencyFormat(const std::wstring& format)
{
    return format.find(L'$') != std::wstring::npos || format.find(L"Ft") != std::wstring::npos ||
           format.find(L'\u20AC') != std::wstring::npos;
}

// A text read as a number, as Excel reads typed input ("01234", " 1.5", "-2e3").
bool ParseNumber(const std::wstring& text, double& number)
{
    if (text.empty() || std::iswspace(text.front()) || std::iswspace(text.back()))
        return false;
    wchar_t* end = nullptr;
    number = std::wcstod(text.c_str(), &end);
    if (end != text.c_str() + text.size())
        return false;
    // wcstod also reads "inf", "nan" and hexadecimal: Excel does not.
    for (wchar_t c : text)
        if (!(std::iswdigit(c) || c == L'.' || c == L'-' || c == L'+' || c == L'e' || c == L'E'))
            return false;
    return true;
}

// Typed input stored into a cell.
void StoreText(Cell& cell, const std::wstring& text)
{
    cell.text.clear();
    if (cell.format == L"@") {
        cell.kind = text.empty() ? Cell::Kind::Empty : Cell::Kind::Text;
        cell.text = text;
        return;
    }
    double number = 0;
    if (text.empty()) {
        cell.kind = Cell::Kind::Empty;
    } else if (text.front() == L'\'') {
        cell.kind = Cell::Kind::Text;
        cell.text = text.substr(1);
    } else if (text.front() == L'=') {
        // The formulas the tests write: a sum or difference of two numbers.
        size_t op = text.find_first_of(L"+-", 2);
        double a = 0, b = 0;
        if (op != std::wstring::npos && ParseNumber(text.substr(1, op - 1), a) && ParseNumber(text.substr(op + 1), b)) {
            cell.kind = Cell::Kind::Number;
            cell.number = text[op] == L'+' ? a + b : a - b;
        } else {
            cell.kind = Cell::Kind::Error;
            cell.error = ErrName;
        }
    } else if (ParseNumber(text, number)) {
        cell.kind = Cell::Kind::Number;
        cell.number = number;
    } else if (Upper(text) == L"TRUE" || Upper(text) == L"FALSE") {
        cell.kind = Cell::Kind::Boolean;
        cell.number = Upper(text) == L"TRUE";
    } else {
        cell.kind = Cell::Kind::Text;
        cell.text = text;
    }
}

HRESULT StoreVariant(Cell& cell, const VARIANT& given)
{
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = VariantCopyInd(&value, const_cast<VARIANT*>(&given));
    if (FAILED(hr))
        return hr;
    hr = S_OK;
    switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL: cell.kind = Cell::Kind::Empty; break;
    case VT_BSTR: StoreText(cell, std::wstring(value.bstrVal, SysStringLen(value.bstrVal))); break;
    case VT_BOOL:
        cell.kind = Cell::Kind::Boolean;
        cell.number = value.boolVal != VARIANT_FALSE;
        break;
    case VT_DATE:
        cell.kind = Cell::Kind::Number;
        cell.number = value.date;
        if (!IsDateFormat(cell.format))
            cell.format = L"yyyy-mm-dd";
        break;
    case VT_ERROR:
        cell.kind = Cell::Kind::Error;
        cell.error = value.scode & 0xFFFF;
        break;
    default:
        if (SUCCEEDED(VariantChangeType(&value, &value, 0, VT_R8))) {
            cell.kind = Cell::Kind::Number;
            cell.number = value.dblVal;
        } else {
            hr = DISP_E_TYPEMISMATCH;
        }
    }
    VariantClear(&value);
    return hr;
}

void ValueOf(const Cell& cell, VARIANT* out)
{
    VariantInit(out);
    switch (cell.kind) {
    case Cell::Kind::Empty: return;
    case Cell::Kind::Text:
        out->vt = VT_BSTR;
        out->bstrVal = SysAllocStringLen(cell.text.data(), static_cast<UINT>(cell.text.size()));
        return;
    case Cell::Kind::Boolean:
        out->vt = VT_BOOL;
        out->boolVal = cell.number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        return;
    case Cell::Kind::Error:
        out->vt = VT_ERROR;
        out->scode = ErrorCode(cell.error);
        return;
    case Cell::Kind::Number:
        if (IsDateFormat(cell.format)) {
            out->vt = VT_DATE;
            out->date = cell.number;
        } else if (IsCurrencyFormat(cell.format)) {
            out->vt = VT_CY;
            VarCyFromR8(cell.number, &out->cyVal);
        } else {
            out->vt = VT_R8;
            out->dblVal = cell.number;
        }
        return;
    }
}

// "A1", "$B$7", "AA10": row and column; false when it names no cell.
bool ParseCell(const std::wstring& text, int& row, int& column)
{
    size_t i = 0;
    if (i < text.size() && text[i] == L'$')
        ++i;
    column = 0;
    size_t letters = 0;
    for (; i < text.size() && std::iswalpha(text[i]); ++i, ++letters)
        column = column * 26 + (std::towupper(text[i]) - L'A' + 1);
    if (i < text.size() && text[i] == L'$')
        ++i;
    row = 0;
    size_t digits = 0;
    for (; i < text.size() && std::iswdigit(text[i]); ++i, ++digits)
        row = std::min(row * 10 + (text[i] - L'0'), 2000000);
    return i == text.size() && letters >= 1 && letters <= 3 && digits >= 1 && row >= 1 && row <= 1048576 &&
           column <= 16384;
}

// ---------------------------------------------------------------- the COM objects

// IDispatch by name: each object lists its members; Invoke hands the arguments over in
// their natural order.
class Object : public IDispatch {
public:
    using Args = std::vector<VARIANT*>;
    struct Member {
        const wchar_t* name;
        DISPID id;
    };

    explicit Object(std::shared_ptr<State> state) : state_(std::move(state)) {}
    virtual ~Object() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (count < 1)
            return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        for (const Member& member : Members()) {
            if (_wcsicmp(member.name, names[0]) == 0) {
                ids[0] = member.id;
                return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
            }
        }
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT*) override
    {
        if (state_->quit || !Alive())
            return RPC_E_DISCONNECTED;
        Args args;
        VARIANT* assigned = nullptr;
        UINT positional = params ? params->cArgs - params->cNamedArgs : 0;
        if (params && (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))) {
            if (params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
                return DISP_E_PARAMNOTOPTIONAL;
            assigned = &params->rgvarg[0];
        } else if (params && params->cNamedArgs > 0) {
            return DISP_E_NONAMEDARGS;
        }
        // rgvarg holds the arguments last to first (the assigned value before them all).
        for (UINT i = 0; i < positional; ++i)
            args.push_back(&params->rgvarg[params->cArgs - 1 - i]);
        VARIANT ignored;
        VariantInit(&ignored);
        HRESULT hr = Call(id, flags, args, assigned, result ? result : &ignored);
        VariantClear(&ignored);
        if (hr == DISP_E_EXCEPTION && exception) {
            *exception = EXCEPINFO{};
            exception->bstrSource = SysAllocString(L"Microsoft Excel");
            exception->bstrDescription = SysAllocString(failure_.c_str());
            exception->scode = E_FAIL;
        }
        return hr;
    }

protected:
    virtual std::vector<Member> Members() const = 0;
    virtual HRESULT Call(DISPID id, WORD flags, const Args& args, VARIANT* assigned, VARIANT* result) = 0;
    // False once the workbook this object belongs to is closed.
    virtual bool Alive() const { return true; }

    HRESULT Fail(const std::wstring& description)
    {
        failure_ = description;
        return DISP_E_EXCEPTION;
    }
    static HRESULT Return(VARIANT* result, IDispatch* object)
    {
        result->vt = VT_DISPATCH;
        result->pdispVal = object;
        return S_OK;
    }
    static HRESULT ReturnInt(VARIANT* result, long value)
    {
        result->vt = VT_I4;
        result->lVal = value;
        return S_OK;
    }
    static HRESULT ReturnText(VARIANT* result, const std::wstring& text)
    {
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return S_OK;
    }
    static HRESULT ReturnBool(VARIANT* result, bool value)
    {
        result->vt = VT_BOOL;
        result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    static bool IntArg(const VARIANT* arg, long& value)
    {
        VARIANT copy;
        VariantInit(&copy);
        if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(arg), 0, VT_I4)))
            return false;
        value = copy.lVal;
        return true;
    }
    static bool TextArg(const VARIANT* arg, std::wstring& text)
    {
        VARIANT copy;
        VariantInit(&copy);
        if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(arg), 0, VT_BSTR)))
            return false;
        text.assign(copy.bstrVal, SysStringLen(copy.bstrVal));
        VariantClear(&copy);
        return true;
    }

    std::shared_ptr<State> state_;

private:
    LONG references_ = 1;
    std::wstring failure_;
};

// The file name of a full name.
std::wstring NameOf(const std::wstring& fullName)
{
    size_t slash = fullName.find_last_of(L"\\/");
    return slash == std::wstring::npos ? fullName : fullName.substr(slash + 1);
}

// Someone else has the file open (its owner file "~$NAME" lies beside it), or the file
// is marked read-only.
bool OpensReadOnly(const std::wstring& path)
{
    const std::wstring name = NameOf(path);
    const std::wstring owner = path.substr(0, path.size() - name.size()) + L"~$" + name;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return GetFileAttributesW(owner.c_str()) != INVALID_FILE_ATTRIBUTES
        || (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY));
}

enum : DISPID {
    IdCount = 1, IdItem, IdOpen, IdFullName, IdName, IdWorksheets, IdClose, IdSave, IdSaveAs, IdSaveCopyAs,
    IdCells, IdRange, IdUsedRange, IdValue, IdNumberFormat, IdRow, IdColumn, IdRows, IdColumns, IdWorkbooks,
    IdVisible, IdDisplayAlerts, IdQuit, IdReadOnly
};

class Range : public Object {
public:
    Range(std::shared_ptr<State> state, std::shared_ptr<Book> book, std::shared_ptr<Sheet> sheet, int row, int column,
          int rows, int columns)
        : Object(std::move(state)), book_(std::move(book)), sheet_(std::move(sheet)), row_(row), column_(column),
          rows_(rows), columns_(columns)
    {
    }

protected:
    std::vector<Member> Members() const override
    {
        return {{L"Value", IdValue},       {L"Value2", IdValue}, {L"NumberFormat", IdNumberFormat},
                {L"Row", IdRow},           {L"Column", IdColumn}, {L"Rows", IdRows},
                {L"Columns", IdColumns},   {L"Count", IdCount},  {L"Item", IdItem}};
    }
    bool Alive() const override { return book_->open; }

    HRESULT Call(DISPID id, WORD flags, const Args& args, VARIANT* assigned, VARIANT* result) override
    {
        switch (id) {
        case IdValue: return assigned ? PutValue(*assigned) : GetValue(result);
        case IdNumberFormat: return assigned ? PutFormat(*assigned) : GetFormat(result);
        case IdRow: return ReturnInt(result, row_);
        case IdColumn: return ReturnInt(result, column_);
        case IdRows: return Return(result, new Range(state_, book_, sheet_, row_, column_, rows_, 1));
        case IdColumns: return Return(result, new Range(state_, book_, sheet_, row_, column_, 1, columns_));
        case IdCount: return ReturnInt(result, rows_ * columns_);
        case DISPID_VALUE:
            if (args.empty())
                return assigned ? PutValue(*assigned) : GetValue(result);
            [[fallthrough]];
        case IdItem: {
            long r = 0, c = 0;
            if (args.size() != 2 || !IntArg(args[0], r) || !IntArg(args[1], c))
                return DISP_E_BADPARAMCOUNT;
            if (r < 1 || c < 1 || row_ + r - 1 > 1048576 || column_ + c - 1 > 16384)
                return Fail(L"Application-defined or object-defined error");
            return Return(result, new Range(state_, book_, sheet_, row_ + r - 1, column_ + c - 1, 1, 1));
        }
        }
        (void)flags;
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    HRESULT GetValue(VARIANT* result)
    {
        if (rows_ == 1 && columns_ == 1) {
            ValueOf(sheet_->Get(row_, column_), result);
            return S_OK;
        }
        SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(rows_), 1}, {static_cast<ULONG>(columns_), 1}};
        SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
        if (!array)
            return E_OUTOFMEMORY;
        for (int r = 0; r < rows_; ++r) {
            for (int c = 0; c < columns_; ++c) {
                VARIANT cell;
                ValueOf(sheet_->Get(row_ + r, column_ + c), &cell);
                LONG index[2] = {r + 1, c + 1};
                SafeArrayPutElement(array, index, &cell);
                VariantClear(&cell);
            }
        }
        result->vt = VT_ARRAY | VT_VARIANT;
        result->parray = array;
        return S_OK;
    }

    HRESULT PutValue(const VARIANT& given)
    {
        const VARIANT& value = (given.vt & VT_BYREF) && (given.vt & VT_TYPEMASK) == VT_VARIANT ? *given.pvarVal : given;
        if (!(value.vt & VT_ARRAY)) {
            for (int r = 0; r < rows_; ++r)
                for (int c = 0; c < columns_; ++c)
                    if (HRESULT hr = StoreVariant(sheet_->At(row_ + r, column_ + c), value); FAILED(hr))
                        return hr;
            Tidy();
            return S_OK;
        }
        SAFEARRAY* array = (value.vt & VT_BYREF) ? *value.pparray : value.parray;
        if (!array || (value.vt & VT_TYPEMASK) != VT_VARIANT)
            return DISP_E_TYPEMISMATCH;
        UINT dims = SafeArrayGetDim(array);
        LONG rowLow = 0, rowHigh = 0, colLow = 0, colHigh = 0;
        SafeArrayGetLBound(array, 1, &rowLow);
        SafeArrayGetUBound(array, 1, &rowHigh);
        if (dims == 2) {
            SafeArrayGetLBound(array, 2, &colLow);
            SafeArrayGetUBound(array, 2, &colHigh);
        } else {
            // A one-dimensional array is one row.
            colLow = rowLow;
            colHigh = rowHigh;
            rowHigh = rowLow;
        }
        for (int r = 0; r < rows_; ++r) {
            for (int c = 0; c < columns_; ++c) {
                Cell& cell = sheet_->At(row_ + r, column_ + c);
                if (rowLow + r > rowHigh || colLow + c > colHigh) {
                    cell.kind = Cell::Kind::Error;
                    cell.error = ErrNA;
                    continue;
                }
                VARIANT element;
                VariantInit(&element);
                LONG index2[2] = {rowLow + r, colLow + c};
                LONG index1[1] = {colLow + c};
                HRESULT hr = SafeArrayGetElement(array, dims == 2 ? index2 : index1, &element);
                if (SUCCEEDED(hr))
                    hr = StoreVariant(cell, element);
                VariantClear(&element);
                if (FAILED(hr))
                    return hr;
            }
        }
        Tidy();
        return S_OK;
    }

    HRESULT GetFormat(VARIANT* result)
    {
        std::wstring common = sheet_->Get(row_, column_).format;
        for (int r = 0; r < rows_; ++r)
            for (int c = 0; c < columns_; ++c)
                if (sheet_->Get(row_ + r, column_ + c).format != common)
                    return result->vt = VT_NULL, S_OK;
        return ReturnText(result, common.empty() ? L"General" : common);
    }

    HRESULT PutFormat(const VARIANT& given)
    {
        std::wstring format;
        if (!TextArg(&given, format))
            return DISP_E_TYPEMISMATCH;
        if (format == L"General")
            format.clear();
        for (int r = 0; r < rows_; ++r)
            for (int c = 0; c < columns_; ++c)
                sheet_->At(row_ + r, column_ + c).format = format;
        Tidy();
        return S_OK;
    }

    // Cells with nothing left are not kept (UsedRange then shrinks, as in a saved workbook).
    void Tidy()
    {
        for (auto it = sheet_->cells.begin(); it != sheet_->cells.end();)
            it = it->second.Blank() ? sheet_->cells.erase(it) : std::next(it);
    }

    std::shared_ptr<Book> book_;
    std::shared_ptr<Sheet> sheet_;
    int row_, column_, rows_, columns_;
};

class Worksheet : public Object {
public:
    Worksheet(std::shared_ptr<State> state, std::shared_ptr<Book> book, std::shared_ptr<Sheet> sheet)
        : Object(std::move(state)), book_(std::move(book)), sheet_(std::move(sheet))
    {
    }

protected:
    std::vector<Member> Members() const override
    {
        return {{L"Name", IdName}, {L"Cells", IdCells}, {L"Range", IdRange}, {L"UsedRange", IdUsedRange}};
    }
    bool Alive() const override { return book_->open; }

    HRESULT Call(DISPID id, WORD, const Args& args, VARIANT* assigned, VARIANT* result) override
    {
        switch (id) {
        case IdName:
            if (assigned) {
                std::wstring name;
                if (!TextArg(assigned, name))
                    return DISP_E_TYPEMISMATCH;
                sheet_->name = name;
                return S_OK;
            }
            return ReturnText(result, sheet_->name);
        case IdCells: {
            if (args.empty())
                return Return(result, NewRange(1, 1, 1048576, 16384));
            long r = 0, c = 0;
            if (args.size() != 2 || !IntArg(args[0], r) || !IntArg(args[1], c))
                return DISP_E_BADPARAMCOUNT;
            if (r < 1 || c < 1 || r > 1048576 || c > 16384)
                return Fail(L"Application-defined or object-defined error");
            return Return(result, NewRange(r, c, 1, 1));
        }
        case IdRange: {
            std::wstring address;
            if (args.size() != 1 || !TextArg(args[0], address))
                return DISP_E_BADPARAMCOUNT;
            size_t colon = address.find(L':');
            int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
            if (!ParseCell(address.substr(0, colon), r1, c1))
                return Fail(L"Method 'Range' of object '_Worksheet' failed");
            r2 = r1, c2 = c1;
            if (colon != std::wstring::npos && !ParseCell(address.substr(colon + 1), r2, c2))
                return Fail(L"Method 'Range' of object '_Worksheet' failed");
            return Return(result, NewRange(std::min(r1, r2), std::min(c1, c2), std::abs(r2 - r1) + 1,
                                           std::abs(c2 - c1) + 1));
        }
        case IdUsedRange: {
            if (sheet_->cells.empty())
                return Return(result, NewRange(1, 1, 1, 1));
            int top = 1048576, left = 16384, bottom = 1, right = 1;
            for (const auto& [position, cell] : sheet_->cells) {
                top = std::min(top, position.first);
                bottom = std::max(bottom, position.first);
                left = std::min(left, position.second);
                right = std::max(right, position.second);
            }
            return Return(result, NewRange(top, left, bottom - top + 1, right - left + 1));
        }
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    IDispatch* NewRange(int row, int column, int rows, int columns)
    {
        return new Range(state_, book_, sheet_, row, column, rows, columns);
    }

    std::shared_ptr<Book> book_;
    std::shared_ptr<Sheet> sheet_;
};

class Worksheets : public Object {
public:
    Worksheets(std::shared_ptr<State> state, std::shared_ptr<Book> book) : Object(std::move(state)), book_(std::move(book)) {}

protected:
    std::vector<Member> Members() const override { return {{L"Count", IdCount}, {L"Item", IdItem}}; }
    bool Alive() const override { return book_->open; }

    HRESULT Call(DISPID id, WORD, const Args& args, VARIANT*, VARIANT* result) override
    {
        if (id == IdCount)
            return ReturnInt(result, static_cast<long>(book_->sheets.size()));
        if (id == IdItem || id == DISPID_VALUE) {
            long index = 0;
            if (args.size() != 1)
                return DISP_E_BADPARAMCOUNT;
            std::wstring name;
            if (args[0]->vt == VT_BSTR && TextArg(args[0], name)) {
                for (const auto& sheet : book_->sheets)
                    if (_wcsicmp(sheet->name.c_str(), name.c_str()) == 0)
                        return Return(result, new Worksheet(state_, book_, sheet));
                return DISP_E_BADINDEX;
            }
            if (!IntArg(args[0], index))
                return DISP_E_TYPEMISMATCH;
            if (index < 1 || index > static_cast<long>(book_->sheets.size()))
                return DISP_E_BADINDEX;
            return Return(result, new Worksheet(state_, book_, book_->sheets[static_cast<size_t>(index - 1)]));
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    std::shared_ptr<Book> book_;
};

class Workbook : public Object {
public:
    Workbook(std::shared_ptr<State> state, std::shared_ptr<Book> book) : Object(std::move(state)), book_(std::move(book)) {}

protected:
    std::vector<Member> Members() const override
    {
        return {{L"FullName", IdFullName}, {L"Name", IdName},     {L"Worksheets", IdWorksheets},
                {L"Close", IdClose},       {L"Save", IdSave},     {L"SaveAs", IdSaveAs},
                {L"SaveCopyAs", IdSaveCopyAs}, {L"ReadOnly", IdReadOnly}};
    }
    bool Alive() const override { return book_->open; }

    HRESULT Call(DISPID id, WORD, const Args& args, VARIANT*, VARIANT* result) override
    {
        switch (id) {
        case IdFullName: return ReturnText(result, book_->fullName);
        case IdName: return ReturnText(result, NameOf(book_->fullName));
        case IdWorksheets: return Return(result, new Worksheets(state_, book_));
        case IdReadOnly: return ReturnBool(result, book_->readOnly);
        case IdClose: {
            book_->open = false;
            auto& books = state_->books;
            books.erase(std::remove(books.begin(), books.end(), book_), books.end());
            return S_OK;
        }
        case IdSave:
            if (book_->readOnly)
                return Fail(L"Cannot access read-only document '" + NameOf(book_->fullName) + L"'.");
            return SaveTo(book_->fullName);
        case IdSaveAs:
        case IdSaveCopyAs: {
            std::wstring name;
            if (args.empty() || !TextArg(args[0], name))
                return DISP_E_PARAMNOTOPTIONAL;
            HRESULT hr = SaveTo(name);
            if (SUCCEEDED(hr) && id == IdSaveAs)
                book_->fullName = name;
            return hr;
        }
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    HRESULT SaveTo(const std::wstring& path)
    {
        ++state_->saves;
        if (!SaveFods(*book_, path))
            return Fail(L"Cannot access '" + path + L"'.");
        return S_OK;
    }

    std::shared_ptr<Book> book_;
};

class Workbooks : public Object {
public:
    using Object::Object;

protected:
    std::vector<Member> Members() const override { return {{L"Count", IdCount}, {L"Item", IdItem}, {L"Open", IdOpen}}; }

    HRESULT Call(DISPID id, WORD, const Args& args, VARIANT*, VARIANT* result) override
    {
        auto& books = state_->books;
        if (id == IdCount)
            return ReturnInt(result, static_cast<long>(books.size()));
        if (id == IdItem || id == DISPID_VALUE) {
            long index = 0;
            if (args.size() != 1 || !IntArg(args[0], index))
                return DISP_E_BADPARAMCOUNT;
            if (index < 1 || index > static_cast<long>(books.size()))
                return DISP_E_BADINDEX;
            return Return(result, new Workbook(state_, books[static_cast<size_t>(index - 1)]));
        }
        if (id == IdOpen) {
            std::wstring path;
            if (args.empty() || !TextArg(args[0], path))
                return DISP_E_PARAMNOTOPTIONAL;
            for (const auto& book : books)
                if (_wcsicmp(book->fullName.c_str(), path.c_str()) == 0)
                    return Fail(L"A document with the name '" + path + L"' is already open.");
            auto book = std::make_shared<Book>();
            book->fullName = path;
            if (!LoadFods(path, *book))
                return Fail(L"Sorry, we couldn't find " + path + L".");
            book->readOnly = OpensReadOnly(path);
            books.push_back(book);
            return Return(result, new Workbook(state_, book));
        }
        return DISP_E_MEMBERNOTFOUND;
    }
};

class Application : public Object {
public:
    using Object::Object;

protected:
    std::vector<Member> Members() const override
    {
        return {{L"Workbooks", IdWorkbooks}, {L"Visible", IdVisible}, {L"DisplayAlerts", IdDisplayAlerts},
                {L"Quit", IdQuit}};
    }

    HRESULT Call(DISPID id, WORD, const Args&, VARIANT* assigned, VARIANT* result) override
    {
        switch (id) {
        case IdWorkbooks: return Return(result, new Workbooks(state_));
        case IdVisible:
        case IdDisplayAlerts: {
            bool& flag = id == IdVisible ? state_->visible : state_->displayAlerts;
            if (!assigned)
                return ReturnBool(result, flag);
            VARIANT copy;
            VariantInit(&copy);
            if (FAILED(VariantChangeType(&copy, assigned, 0, VT_BOOL)))
                return DISP_E_TYPEMISMATCH;
            flag = copy.boolVal != VARIANT_FALSE;
            return S_OK;
        }
        case IdQuit:
            for (const auto& book : state_->books)
                book->open = false;
            state_->books.clear();
            state_->quit = true;
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }
};

// ---------------------------------------------------------------- flat OpenDocument files

std::string Attribute(xmlNode* node, const char* name)
{
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string text = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

bool Named(xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

void Walk(xmlNode* node, const std::function<void(xmlNode*)>& visit)
{
    for (xmlNode* child = node ? node->children : nullptr; child; child = child->next)
        visit(child);
}

std::string ParagraphText(xmlNode* cell)
{
    std::string text;
    bool first = true;
    Walk(cell, [&](xmlNode* p) {
        if (!Named(p, "p"))
            return;
        if (!first)
            text += '\n';
        first = false;
        xmlChar* content = xmlNodeGetContent(p);
        text += content ? reinterpret_cast<const char*>(content) : "";
        xmlFree(content);
    });
    return text;
}

Cell CellOf(xmlNode* node)
{
    Cell cell;
    std::string type = Attribute(node, "value-type");
    if (type == "float" || type == "percentage" || type == "currency") {
        cell.kind = Cell::Kind::Number;
        cell.number = std::strtod(Attribute(node, "value").c_str(), nullptr);
        if (type == "currency")
            cell.format = L"#,##0.00 \"Ft\"";
    } else if (type == "date") {
        // "yyyy-mm-dd" as a serial day (1899-12-30 = 0).
        SYSTEMTIME time{};
        std::string value = Attribute(node, "date-value");
        std::sscanf(value.c_str(), "%hu-%hu-%hu", &time.wYear, &time.wMonth, &time.wDay);
        double serial = 0;
        SystemTimeToVariantTime(&time, &serial);
        cell.kind = Cell::Kind::Number;
        cell.number = serial;
        cell.format = L"yyyy-mm-dd";
    } else if (type == "boolean") {
        cell.kind = Cell::Kind::Boolean;
        cell.number = Attribute(node, "boolean-value") == "true";
    } else if (type == "string") {
        cell.kind = Cell::Kind::Text;
        cell.text = WideOf(ParagraphText(node));
    }
    return cell;
}

std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace

bool LoadFods(const std::wstring& path, Book& book)
{
    std::ifstream stream(path.c_str(), std::ios::binary);
    if (!stream)
        return false;
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    xmlDoc* doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "workbook.fods", nullptr, XML_PARSE_NONET);
    if (!doc)
        return false;
    std::function<void(xmlNode*)> visit = [&](xmlNode* node) {
        if (!Named(node, "table")) {
            Walk(node, visit);
            return;
        }
        auto sheet = std::make_shared<Sheet>();
        sheet->name = WideOf(Attribute(node, "name"));
        int row = 0;
        Walk(node, [&](xmlNode* rowNode) {
            if (!Named(rowNode, "table-row"))
                return;
            int repeatRows = std::max(1, std::atoi(Attribute(rowNode, "number-rows-repeated").c_str()));
            for (int r = 0; r < repeatRows; ++r) {
                ++row;
                int column = 0;
                Walk(rowNode, [&](xmlNode* cellNode) {
                    if (!Named(cellNode, "table-cell") && !Named(cellNode, "covered-table-cell"))
                        return;
                    int repeat = std::max(1, std::atoi(Attribute(cellNode, "number-columns-repeated").c_str()));
                    Cell cell = CellOf(cellNode);
                    for (int c = 0; c < repeat; ++c) {
                        ++column;
                        if (!cell.Blank())
                            sheet->At(row, column) = cell;
                    }
                });
            }
        });
        book.sheets.push_back(sheet);
    };
    Walk(reinterpret_cast<xmlNode*>(doc), visit);
    xmlFreeDoc(doc);
    return true;
}

bool SaveFods(const Book& book, const std::wstring& path)
{
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\" "
        "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">\n<office:body><office:spreadsheet>\n";
    for (const auto& sheet : book.sheets) {
        text += "<table:table table:name=\"" + Escape(Utf8Of(sheet->name)) + "\">\n";
        int lastRow = 0;
        for (const auto& [position, cell] : sheet->cells)
            lastRow = std::max(lastRow, position.first);
        for (int row = 1; row <= lastRow; ++row) {
            text += "<table:table-row>";
            int column = 0;
            for (auto it = sheet->cells.lower_bound({row, 0}); it != sheet->cells.end() && it->first.first == row; ++it) {
                for (++column; column < it->first.second; ++column)
                    text += "<table:table-cell/>";
                const Cell& cell = it->second;
                char number[64];
                std::snprintf(number, sizeof number, "%.17g", cell.number);
                switch (cell.kind) {
                case Cell::Kind::Empty: text += "<table:table-cell/>"; break;
                case Cell::Kind::Text:
                    text += "<table:table-cell office:value-type=\"string\"><text:p>" + Escape(Utf8Of(cell.text)) +
                            "</text:p></table:table-cell>";
                    break;
                case Cell::Kind::Number:
                    text += std::string("<table:table-cell office:value-type=\"float\" office:value=\"") + number +
                            "\"/>";
                    break;
                case Cell::Kind::Boolean:
                    text += std::string("<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"") +
                            (cell.number != 0 ? "true" : "false") + "\"/>";
                    break;
                case Cell::Kind::Error: text += "<table:table-cell/>"; break;
                }
            }
            text += "</table:table-row>\n";
        }
        text += "</table:table>\n";
    }
    text += "</office:spreadsheet></office:body></office:document>\n";
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

IDispatch* NewApplication(std::shared_ptr<State> state)
{
    return new Application(std::move(state));
}

namespace {

std::wstring ClsidText()
{
    wchar_t text[64] = {};
    StringFromGUID2(ClsidApplication, text, 64);
    return text;
}

bool SetValue(const std::wstring& key, const std::wstring& value)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

}  // namespace

bool RegisterProgId(const std::wstring& server)
{
    const std::wstring clsid = ClsidText();
    bool done = SetValue(L"Excel.Application\\CLSID", clsid) && SetValue(L"CLSID\\" + clsid, L"Microsoft Excel Application");
    if (done && !server.empty())
        done = SetValue(L"CLSID\\" + clsid + L"\\LocalServer32", server);
    return done;
}

void UnregisterProgId()
{
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Excel.Application");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + ClsidText()).c_str());
}

}  // namespace exceldouble
