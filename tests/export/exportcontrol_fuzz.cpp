#include "export/exceltoxml.h"
#include "tests/support/fakefrontend.h"
#include "export/inifile.h"
#include "export/textrules.h"
#include "common/xmldocument.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

// Any bytes as an export control file: reading it, running every column's commands on a
// small document and laying the result out must end without a crash, and a read that
// fails must say so by its result only.
namespace {

const std::string& ScratchFile()
{
    static const std::string path = "/tmp/korvex-exportcontrol-fuzz-" + std::to_string(::getpid()) + ".ini";
    return path;
}

// Keeps the layout of a hostile FORMAT section from growing past what a run may hold.
constexpr size_t MaxText = 16 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(ScratchFile(), std::ios::binary | std::ios::trunc) << bytes;

    const std::string version = TIniFile::FromBytes(bytes).ReadString("MAIN", "VERSION", "1.00");
    FakeFrontend ui;
    TExcelToXML converter(ui);
    if (converter.ReadControlFile(ScratchFile(), version) != 0)
        return 0;

    TOutputWriter output("Root");
    for (const std::string cell : {"x", "<&>\"", ""}) {
        for (const TExcelColItem& column : converter.Columns) {
            try {
                column.Apply(output, cell);
            } catch (const XmlError&) {
            }
            if (output.Depth() < 1)
                std::abort();  // the cursor must never leave the document
        }
    }
    std::string text = output.Finish() + "<CONSTANTTEXT>MAIN</CONSTANTTEXT><CONSTANTTEXT>";
    text = converter.ExpandConstantText(text);
    for (const TFormatItem& format : converter.Formats) {
        if (text.size() > MaxText)
            break;
        text = format.Apply(text);
    }
    if (text.size() <= MaxText)
        LayoutPasses(text, 1);
    return 0;
}
