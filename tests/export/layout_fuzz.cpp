#include "export/formatitem.h"
#include "export/textcodec.h"
#include "export/textrules.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

// Any bytes as a document text: the first line is a FORMAT entry (key=value), the rest
// the text it lays out. The layout passes and the encoders must end and keep their
// promises: UTF-8 output is always well-formed, ISO-8859-2 output has one byte per
// character.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string entry = SplitFirst(text, "\n");
    std::string key = SplitFirst(entry, "=");
    try {
        TFormatItem format(key, entry);
        if (format.Indent > 64 || format.Indent < -64)
            format.Indent = 64;  // the break width is not what this target explores
        text = format.Apply(text);
    } catch (const std::invalid_argument&) {
    }
    for (int encoding : {0, 1}) {
        const std::string laidOut = LayoutPasses(text, encoding);
        const std::string utf8 = EncodeUtf8(std::string_view(laidOut));
        if (!IsValidUtf8(utf8))
            std::abort();
        const std::string latin2 = Utf8ToIso88592(utf8);
        if (Iso88592ToUtf8(latin2).size() < latin2.size())
            std::abort();
    }
    DecodeTextFile(text);
    return 0;
}
