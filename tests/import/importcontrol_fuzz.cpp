#include "host/excelsheet.h"
#include "tests/support/fakefrontend.h"
#include "host/memory/memoryhost.h"
#include "import/xmltoexcelcontrol.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

// Any bytes as an import control file and a data file, split at the first NUL byte:
// reading the control file and transferring the data file into an in-memory workbook
// must end with success or an exception, never a crash.
namespace {

namespace fs = std::filesystem;

const fs::path& ScratchFolder()
{
    static const fs::path folder = [] {
        fs::path path = fs::temp_directory_path() / ("korvex-importcontrol-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(path);
        return path;
    }();
    return folder;
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    WriteFile(ScratchFolder() / "XMLToExcel.xml", input.substr(0, split));
    const fs::path dataFile = ScratchFolder() / "data.xml";
    WriteFile(dataFile, split == std::string::npos ? std::string("<Data/>") : input.substr(split + 1));

    FakeFrontend ui;
    ui.dataFolder = ScratchFolder().string() + "/";
    auto host = std::make_shared<MemoryHost>();
    host->AddWorkbook("/books/a.xlsx", {"Start", "Page"});
    TExcelApp app(host, &ui);
    try {
        TXMLToExcelControl control(ui);
        control.ResetRows();
        for (const TXMLToExcelDBItem& item : control.DBItems)
            control.AssignPage("/books/a.xlsx", 1, 2, item.Page);
        control.TransferFile(dataFile.string(), app);
    } catch (const std::exception&) {
        // A clear failure is a fine answer to a hostile file.
    }
    return 0;
}
