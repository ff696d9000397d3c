// libFuzzer target: arbitrary bytes as a document, scanned to the end twice (the second
// time after a rewind), with and without whitespace normalisation. External entities
// never touch the file system: they are the input itself, or empty.

#include "library/xmlscanner/vmdxmlparser.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace {

volatile std::size_t Sink = 0;

class FuzzScanner : public TVmdXmlParser {
public:
    explicit FuzzScanner(const std::string& text) : FText(text) {}

    std::unique_ptr<TVmdXmlParser> LoadExternalEntity(const std::string& SystemId, const std::string&,
                                                      const std::string&) override
    {
        auto entity = std::make_unique<FuzzScanner>(FText);
        if (SystemId.empty() || SystemId[0] != 'e')
            entity->LoadFromBuffer(FText.c_str());
        return entity;
    }

    void DtdElementFound(const TDtdElementRec& rec) override
    {
        // Every pointer handed over must be readable during the call.
        Sink = Sink + static_cast<unsigned char>(*rec.Start) + static_cast<unsigned char>(*rec.Final);
        switch (rec.ElementType) {
        case deElement:
        case deAttList:
            Sink = Sink + rec.ElemDef->Name.size() + static_cast<std::size_t>(rec.ElemDef->Count());
            break;
        case deEntity: Sink = Sink + rec.EntityDef->Value.size(); break;
        case deNotation: Sink = Sink + rec.NotationDef->Value.size(); break;
        case dePI: Sink = Sink + rec.Target->size() + rec.Content->size() + static_cast<std::size_t>(rec.AttrList->Count()); break;
        case deError: Sink = Sink + static_cast<unsigned char>(*rec.Pos); break;
        case deComment: break;
        }
    }

private:
    const std::string& FText;
};

void TouchPart(const TVmdXmlParser& scanner)
{
    Sink = Sink + static_cast<unsigned char>(*scanner.CurStart) + static_cast<unsigned char>(*scanner.CurFinal)
        + scanner.CurName.size() + scanner.CurContent.size();
    for (int i = 0; i < scanner.CurAttr.Count(); ++i)
        Sink = Sink + scanner.CurAttr.Value(i).size();
}

// Scans to the end; answers a digest of every part so that passes can be compared.
std::size_t ScanToTheEnd(FuzzScanner& scanner)
{
    std::size_t digest = 0;
    const auto mix = [&digest](std::size_t value) { digest = digest * 1000003u ^ value; };
    const std::hash<std::string> hash;
    scanner.StartScan();
    while (scanner.Scan()) {
        TouchPart(scanner);
        mix(scanner.CurPartType);
        mix(hash(scanner.CurName));
        mix(hash(scanner.CurContent));
        for (int i = 0; i < scanner.CurAttr.Count(); ++i) {
            mix(hash(scanner.CurAttr.Name(i)));
            mix(hash(scanner.CurAttr.Value(i)));
        }
    }
    Sink = Sink + static_cast<unsigned char>(*scanner.CurStart);
    if (scanner.EntityStack.Count() != 0)
        __builtin_trap();  // the end of the document leaves no entity open
    return digest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The scanner reads up to the first zero byte, like any zero-terminated text.
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const bool normalize : {true, false}) {
        FuzzScanner scanner(text);
        // A copy of exactly the text's length, so a read past its end is caught.
        scanner.LoadFromBuffer(text.c_str());
        scanner.SetNormalize(normalize);
        // A smaller budget than the default keeps runs short; the same limits apply.
        scanner.SetExpansionLimit(std::size_t{256} << 10);
        ScanToTheEnd(scanner);  // analyses the document type declaration
        // Later passes skip the declaration and must agree with each other exactly.
        if (ScanToTheEnd(scanner) != ScanToTheEnd(scanner))
            __builtin_trap();
    }
    return 0;
}
