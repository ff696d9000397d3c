// The automation double as a program of its own, for korvex-cli.exe end to end:
//   excel_double serve READY FILE...  registers "Excel.Application", opens the files
//                                     (.fods), publishes itself in the running object
//                                     table, creates READY and answers until Quit
//   excel_double quit                 asks the running one to quit
//   excel_double register | unregister
//   excel_double dump FILE SHEET      prints rows 6 to 11, columns A to F of a sheet of a
//                                     .fods file (UTF-8, tab-separated), as the import
//                                     fills them
//   excel_double -Embedding           started by CoCreateInstance (LocalServer32): a
//                                     fresh, private application for that caller

#include "tests/host/excel/exceldouble.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

std::wstring ProgramPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// Answers calls until the application has quit and (for a private one) its caller has
// let go, or until nobody has called for a long while.
void Serve(const std::shared_ptr<exceldouble::State>& state, const std::function<bool()>& released)
{
    SetTimer(nullptr, 0, 100, nullptr);
    MSG message;
    int idle = 0;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
        if (message.message == WM_TIMER && (state->quit && released()))
            break;
        if (message.message == WM_TIMER && ++idle > 10 * 600)
            break;  // ten minutes: a test that died without quitting
    }
}

// Hands out one application to the one caller that started this process.
class Factory : public IClassFactory {
public:
    explicit Factory(std::shared_ptr<exceldouble::State> state) : state_(std::move(state)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        IDispatch* application = exceldouble::NewApplication(state_);
        HRESULT hr = application->QueryInterface(riid, object);
        application->Release();
        created_ = true;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
    bool Created() const { return created_; }

private:
    std::shared_ptr<exceldouble::State> state_;
    bool created_ = false;
};

int Embedded()
{
    auto state = std::make_shared<exceldouble::State>();
    Factory factory(state);
    DWORD cookie = 0;
    if (FAILED(CoRegisterClassObject(exceldouble::ClsidApplication, &factory, CLSCTX_LOCAL_SERVER,
                                     REGCLS_SINGLEUSE, &cookie)))
        return 1;
    Serve(state, [] { return true; });
    CoRevokeClassObject(cookie);
    // What the private Excel was left with, for the test that drove it.
    if (const wchar_t* report = _wgetenv(L"KORVEX_DOUBLE_REPORT")) {
        std::ofstream out(report, std::ios::app);
        out << "visible=" << state->visible << " displayAlerts=" << state->displayAlerts << " quit=" << state->quit
            << " books=" << state->books.size() << " saves=" << state->saves << "\n";
    }
    return 0;
}

int ServeFiles(const std::wstring& ready, const std::vector<std::wstring>& files)
{
    auto state = std::make_shared<exceldouble::State>();
    for (const std::wstring& file : files) {
        auto book = std::make_shared<exceldouble::Book>();
        wchar_t full[MAX_PATH] = {};
        GetFullPathNameW(file.c_str(), MAX_PATH, full, nullptr);
        book->fullName = full;
        if (!exceldouble::LoadFods(full, *book)) {
            std::fwprintf(stderr, L"excel_double: cannot read %ls\n", file.c_str());
            return 1;
        }
        state->books.push_back(book);
    }
    if (!exceldouble::RegisterProgId(L"\"" + ProgramPath() + L"\" -Embedding"))
        return 1;
    IDispatch* application = exceldouble::NewApplication(state);
    DWORD cookie = 0;
    if (FAILED(RegisterActiveObject(application, exceldouble::ClsidApplication, ACTIVEOBJECT_STRONG, &cookie)))
        return 1;
    std::ofstream(ready.c_str()) << "ready\n";
    Serve(state, [] { return true; });
    RevokeActiveObject(cookie, nullptr);
    application->Release();
    return 0;
}

int Dump(const std::wstring& file, int sheetIndex)
{
    exceldouble::Book book;
    if (!exceldouble::LoadFods(file, book) || sheetIndex < 1 || sheetIndex > static_cast<int>(book.sheets.size()))
        return 1;
    const exceldouble::Sheet& sheet = *book.sheets[static_cast<size_t>(sheetIndex - 1)];
    std::string out;
    for (int row = 6; row <= 11; ++row) {
        for (int column = 1; column <= 6; ++column) {
            exceldouble::Cell cell = sheet.Get(row, column);
            if (column > 1)
                out += '\t';
            if (cell.kind == exceldouble::Cell::Kind::Number) {
                char number[64];
                std::snprintf(number, sizeof number, "%.15g", cell.number);
                out += number;
            } else if (cell.kind == exceldouble::Cell::Kind::Text) {
                int size = WideCharToMultiByte(CP_UTF8, 0, cell.text.data(), static_cast<int>(cell.text.size()), nullptr,
                                               0, nullptr, nullptr);
                std::string text(static_cast<size_t>(size), '\0');
                WideCharToMultiByte(CP_UTF8, 0, cell.text.data(), static_cast<int>(cell.text.size()), text.data(), size,
                                    nullptr, nullptr);
                out += text;
            }
        }
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

int Quit()
{
    IUnknown* running = nullptr;
    if (FAILED(GetActiveObject(exceldouble::ClsidApplication, nullptr, &running)))
        return 1;
    IDispatch* application = nullptr;
    running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&application));
    running->Release();
    if (!application)
        return 1;
    LPOLESTR name = const_cast<LPOLESTR>(L"Quit");
    DISPID id = 0;
    DISPPARAMS none{};
    HRESULT hr = application->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    if (SUCCEEDED(hr))
        hr = application->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
    application->Release();
    return SUCCEEDED(hr) ? 0 : 1;
}

}  // namespace

int main()
{
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args(words + 1, words + count);
    LocalFree(words);
    if (args.empty())
        return 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int status = 2;
    const std::wstring command = args[0];
    if (_wcsicmp(command.c_str(), L"-Embedding") == 0 || _wcsicmp(command.c_str(), L"/Embedding") == 0)
        status = Embedded();
    else if (command == L"serve" && args.size() >= 2)
        status = ServeFiles(args[1], std::vector<std::wstring>(args.begin() + 2, args.end()));
    else if (command == L"quit")
        status = Quit();
    else if (command == L"dump" && args.size() == 3)
        status = Dump(args[1], _wtoi(args[2].c_str()));
    else if (command == L"register")
        status = exceldouble::RegisterProgId(L"\"" + ProgramPath() + L"\" -Embedding") ? 0 : 1;
    else if (command == L"unregister")
        status = (exceldouble::UnregisterProgId(), 0);
    CoUninitialize();
    return status;
}
