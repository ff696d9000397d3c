#include "tests/library/xmlscanner/scanlog.h"

std::string DescribePart(const TVmdXmlParser& scanner)
{
    std::string attrs;
    for (int i = 0; i < scanner.CurAttr.Count(); ++i) {
        attrs += ' ';
        attrs += scanner.CurAttr.Name(i);
        attrs += '=';
        attrs += scanner.CurAttr.Value(i);
    }
    switch (scanner.CurPartType) {
    case ptXmlProlog: return "xml";
    case ptPI: return "?" + scanner.CurName + "{" + scanner.CurContent + "}";
    case ptComment: return "!--";
    case ptDtdc: return "!DOCTYPE";
    case ptStartTag: return "<" + scanner.CurName + attrs + ">";
    case ptEmptyTag: return "<" + scanner.CurName + attrs + "/>";
    case ptEndTag: return "</" + scanner.CurName + ">";
    case ptContent: return "'" + scanner.CurContent + "'";
    case ptCData: return "[" + scanner.CurContent + "]";
    case ptNone: break;
    }
    return "none";
}

std::string ScanAll(TVmdXmlParser& scanner)
{
    std::string out;
    scanner.StartScan();
    int guard = 0;
    while (scanner.Scan() && ++guard < 10000) {
        if (!out.empty())
            out += " | ";
        out += DescribePart(scanner);
    }
    return out;
}

std::string ScanText(const std::string& text, bool normalize)
{
    TVmdXmlParser scanner;
    scanner.LoadFromBuffer(text.c_str());
    scanner.SetNormalize(normalize);
    return ScanAll(scanner);
}
