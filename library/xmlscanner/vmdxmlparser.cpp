#include "library/xmlscanner/vmdxmlparser.h"

#include "library/xmlscanner/scannertext.h"
#include "library/xmlscanner/windows1252.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <system_error>

#ifdef _WIN32
#include <share.h>
#endif

using namespace scannertext;

namespace {

const char EmptyText[] = "";
const char ByteOrderMark[] = "\xEF\xBB\xBF";

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

std::filesystem::path PathFromUtf8(const std::string& name)
{
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

FileHandle OpenForReading(const std::filesystem::path& path, [[maybe_unused]] std::uint8_t fileMode)
{
#ifdef _WIN32
    // The sharing bits of the Windows file modes: 16 exclusive, 32 deny write,
    // 48 deny read, 64 deny none.
    int share = _SH_DENYNO;
    switch (fileMode & 0x70) {
    case 16: share = _SH_DENYRW; break;
    case 32: share = _SH_DENYWR; break;
    case 48: share = _SH_DENYRD; break;
    default: break;
    }
    return FileHandle(_wfsopen(path.c_str(), L"rb", share));
#else
    return FileHandle(std::fopen(path.c_str(), "rb"));
#endif
}

// A text of the scanner's predefined entities, or null.
const char* PredefinedEntity(std::string_view name)
{
    if (name == "lt")
        return "<";
    if (name == "gt")
        return ">";
    if (name == "amp")
        return "&";
    if (name == "apos")
        return "'";
    if (name == "quot")
        return "\"";
    return nullptr;
}

void Append(std::string& out, std::string&& piece)
{
    if (out.empty())
        out = std::move(piece);
    else
        out += piece;
}

} // namespace

// ---------------------------------------------------------------------------------
// Entity stack

TEntityStack::TEntityStack(TVmdXmlParser* TheOwner) : FOwner(TheOwner) {}

TEntityStack::~TEntityStack() = default;

void TEntityStack::Push(const char* LastPos)
{
    Push(nullptr, LastPos);
}

void TEntityStack::Push(std::unique_ptr<TVmdXmlParser> Instance, const char* LastPos)
{
    TEntityStackNode node;
    node.Instance = std::move(Instance);
    node.LastPos = LastPos;
    if (FOwner) {
        node.Encoding = FOwner->FCurEncoding;
        FOwner->ForgetSemicolon();
    }
    FNodes.push_back(std::move(node));
}

const char* TEntityStack::Pop()
{
    if (FNodes.empty())
        return nullptr;
    TEntityStackNode node = std::move(FNodes.back());
    FNodes.pop_back();
    if (FOwner) {
        if (node.Instance)
            FOwner->FRetired.push_back(std::move(node.Instance));
        if (!node.Encoding.empty())
            FOwner->FCurEncoding = node.Encoding;
        FOwner->ForgetSemicolon();
    }
    return node.LastPos;
}

void TEntityStack::Clear()
{
    while (!FNodes.empty())
        Pop();
}

// ---------------------------------------------------------------------------------
// Life and loading

TVmdXmlParser::TVmdXmlParser() : EntityStack(this)
{
    Clear();
}

TVmdXmlParser::~TVmdXmlParser()
{
    Clear();
}

void TVmdXmlParser::Clear()
{
    EntityStack.Clear();
    FRetired.clear();
    FOwnedBuffer.reset();
    FBuffer = nullptr;
    FBufferSize = 0;
    FSource.clear();
    FXmlVersion.clear();
    FEncoding = "UTF-8";
    FCurEncoding = "UTF-8";
    FStandalone = false;
    FRootName.clear();
    FDtdcFinal = nullptr;
    FDtdcStart = nullptr;
    FNormalize = true;
    Elements.Clear();
    Entities.Clear();
    ParEntities.Clear();
    Notations.Clear();
    CurAttr.Clear();
    FRetiredDefs.clear();
    // The old position would point into the freed text: start over.
    FNext = nullptr;
    ForgetSemicolon();
    FOwnBudget = ExpansionBudget();
}

bool TVmdXmlParser::LoadFromFile(const std::string& Filename, std::uint8_t FileMode)
{
    Clear();
    const std::filesystem::path path = PathFromUtf8(Filename);
    std::error_code error;
    // Only plain files: a folder or a device would block or never end.
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    FileHandle file = OpenForReading(path, FileMode);
    if (!file)
        return false;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size >= static_cast<std::uintmax_t>(std::numeric_limits<std::int32_t>::max()))
        return false;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[size + 1]);
    if (!buffer)
        return false;
    const std::size_t read = std::fread(buffer.get(), 1, size, file.get());
    if (std::ferror(file.get()))
        return false;
    buffer[read] = '\0';
    FOwnedBuffer = std::move(buffer);
    FBuffer = FOwnedBuffer.get();
    FBufferSize = static_cast<std::int32_t>(size + 1);
    FSource = Filename;
    return true;
}

bool TVmdXmlParser::LoadFromBuffer(const char* Buffer)
{
    Clear();
    if (!Buffer)
        Buffer = EmptyText;
    const std::size_t length = std::strlen(Buffer);
    if (length >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return false;
    std::unique_ptr<char[]> copy(new (std::nothrow) char[length + 1]);
    if (!copy)
        return false;
    std::memcpy(copy.get(), Buffer, length + 1);
    FOwnedBuffer = std::move(copy);
    FBuffer = FOwnedBuffer.get();
    FBufferSize = static_cast<std::int32_t>(length + 1);
    FSource = "<MEM>";
    return true;
}

void TVmdXmlParser::SetBuffer(const char* Buffer)
{
    Clear();
    if (!Buffer)
        return;
    FBuffer = Buffer;
    FSource = "<REFERENCE>";
}

const char* TVmdXmlParser::DocBuffer() const
{
    return FBuffer ? FBuffer : EmptyText;
}

// ---------------------------------------------------------------------------------
// Scanning

void TVmdXmlParser::StartScan()
{
    CurPartType = ptNone;
    CurName.clear();
    CurContent.clear();
    CurStart = nullptr;
    CurFinal = nullptr;
    CurAttr.Clear();
    EntityStack.Clear();
    FRetired.clear();
    FNext = nullptr;
    ForgetSemicolon();
    if (FBudget == &FOwnBudget)
        FOwnBudget = ExpansionBudget();
}

const char* TVmdXmlParser::ScanStart()
{
    const char* p = FNext;
    if (!p) {
        p = DocBuffer();
        if (StartsWith(p, ByteOrderMark)) {
            p += 3;
            FEncoding = "UTF-8";
        }
    }
    // Replacement texts may end one right after another (a reference at the very end
    // of an entity), so leave every text that has ended, not just one.
    while (*p == '\0' && EntityStack.Count() > 0)
        p = EntityStack.Pop();
    return p;
}

bool TVmdXmlParser::Scan()
{
    FreeRetired();
    for (;;) {
        const char* p = ScanStart();
        if (*p == '\0') {
            EntityStack.Clear();
            CurStart = p;
            CurFinal = (p != DocBuffer()) ? p - 1 : nullptr;
            FNext = p;
            return false;
        }
        CurStart = p;
        CurFinal = p;
        if (StartsWith(p, "<?xml") && IsXmlSpace(p[5])) {
            ScanProlog(p);
        } else if (StartsWith(p, "<?")) {
            CurPartType = ptPI;
            CurFinal = ScanPI(p);
        } else if (StartsWith(p, "<!--")) {
            ScanComment(p);
        } else if (StartsWith(p, "<!DOCTYPE")) {
            ScanDoctype(p);
        } else if (StartsWith(p, "<![CDATA[")) {
            ScanCData(p);
        } else if (*p == '<') {
            ScanTag(p);
        } else {
            ScanContent(p);  // sets FNext itself
            if (FNormalize && CurContent.empty())
                continue;
            return true;
        }
        FNext = CurFinal + 1;
        return true;
    }
}

void TVmdXmlParser::ScanProlog(const char* start)
{
    const char* stop = nullptr;
    CurAttr.Analyze(start + 5, stop);
    // A declaration at the top of an external entity only says how that entity is encoded.
    if (EntityStack.Count() == 0) {
        FXmlVersion = CurAttr.Value("version");
        FEncoding = CurAttr.Value("encoding");
        FStandalone = CurAttr.Value("standalone") == "yes";
    }
    const char* close = std::strstr(stop, "?>");
    CurFinal = close ? close + 1 : EndOfText(stop) - 1;
    const std::string encoding = UpperCase(CurAttr.Value("encoding"));
    FCurEncoding = encoding.empty() ? "UTF-8" : encoding;
    CurPartType = ptXmlProlog;
    CurName.clear();
    CurContent.clear();
}

const char* TVmdXmlParser::ScanPI(const char* start)
{
    const char* target = start + 2;
    const char* p = target;
    while (*p != '\0' && !IsXmlSpace(*p) && *p != '?' && *p != '>')
        ++p;
    CurName.assign(target, p);
    const char* close = std::strstr(target, "?>");
    const char* contentEnd = close ? close : EndOfText(p);
    CurContent.assign(p, contentEnd);
    const char* stop = nullptr;
    CurAttr.Analyze(CurContent.c_str(), stop);
    return close ? close + 1 : contentEnd - 1;
}

void TVmdXmlParser::ScanComment(const char* start)
{
    CurPartType = ptComment;
    const char* close = std::strstr(start + 4, "-->");
    CurFinal = close ? close + 2 : EndOfText(start + 4) - 1;
}

void TVmdXmlParser::ScanCData(const char* start)
{
    CurPartType = ptCData;
    const char* body = start + 9;
    const char* close = std::strstr(body, "]]>");
    const char* end = close ? close : EndOfText(body);
    CurContent = TranslateEncoding(std::string_view(body, static_cast<std::size_t>(end - body)));
    CurFinal = close ? close + 2 : end - 1;
}

void TVmdXmlParser::ScanTag(const char* start)
{
    const bool endTag = start[1] == '/';
    CurPartType = endTag ? ptEndTag : ptStartTag;
    const char* name = start + (endTag ? 2 : 1);
    const char* p = name;
    while (*p != '\0' && !IsXmlSpace(*p) && *p != '/' && *p != '>')
        ++p;
    CurName.assign(name, p);
    const char* stop = nullptr;
    CurAttr.Analyze(p, stop);
    // Only a start tag becomes an empty-element tag; "</a/>" stays an end tag.
    if (!endTag && *stop == '/')
        CurPartType = ptEmptyTag;
    const char* close = std::strchr(stop, '>');
    CurFinal = close ? close : EndOfText(stop) - 1;
    if (!endTag) {
        ApplyAttributeDefaults();
        NormalizeAttributes();
    }
}

void TVmdXmlParser::ScanContent(const char* start)
{
    CurPartType = ptContent;
    CurContent.clear();
    const char* p = start;
    const char* run = p;
    const char* last = start;  // the last character taken into the part
    const auto flush = [&](const char* upto) {
        if (upto == run)
            return;
        Append(CurContent, TranslateEncoding(std::string_view(run, static_cast<std::size_t>(upto - run))));
        last = upto - 1;
    };
    for (;;) {
        p += std::strcspn(p, "<&");
        if (*p == '&') {
            flush(p);
            const char* semicolon = FindSemicolon(p + 1);
            if (!semicolon) {
                last = p;
                run = ++p;  // a lone "&" is dropped
                continue;
            }
            last = semicolon;
            ResolveContentReference(p, semicolon);
            run = p;
            continue;
        }
        flush(p);
        if (*p == '\0' && EntityStack.Count() > 0) {
            p = EntityStack.Pop();
            // Back in the text that holds the reference: its ";" is the last character
            // taken so far, not the end of the replacement text just left.
            last = p - 1;
            run = p;
            continue;
        }
        break;  // "<" or the end of the document
    }
    CurFinal = last;
    FNext = p;
    if (FNormalize)
        NormalizeWhitespace(CurContent);
}

// Resolves the reference from p ("&") to semicolon; p moves on to where scanning goes on,
// which is inside the replacement text for a declared entity.
void TVmdXmlParser::ResolveContentReference(const char*& p, const char* semicolon)
{
    const std::string_view name(p + 1, static_cast<std::size_t>(semicolon - p - 1));
    const char* after = semicolon + 1;
    p = after;
    if (!name.empty() && name[0] == '#') {
        Append(CurContent, CharacterReference(name.substr(1), ' '));
        return;
    }
    if (const char* text = PredefinedEntity(name)) {
        CurContent += text;
        return;
    }
    if (const TNvpNode* entity = Entities.Node(name)) {
        if (!entity->Value.empty()) {
            if (MayExpand(entity->Value.size() + ExpansionOverhead, 1)) {
                EntityStack.Push(after);
                p = entity->Value.c_str();
                return;
            }
        } else if (const auto* external = dynamic_cast<const TEntityDef*>(entity)) {
            if (auto instance = OpenExternal(external->SystemId, external->PublicId,
                                             external->NotationName, 1)) {
                const char* text = instance->DocBuffer();
                if (StartsWith(text, ByteOrderMark))
                    text += 3;
                EntityStack.Push(std::move(instance), after);
                p = text;
                return;
            }
        }
    }
    // Undeclared (or over the limits): the bare name, converted like any other text.
    Append(CurContent, TranslateEncoding(name));
}

const char* TVmdXmlParser::FindSemicolon(const char* from)
{
    // Remembers the last answer within the current text, so that many "&" without a
    // ";" do not each search to the end of the text.
    const auto address = [](const char* q) { return reinterpret_cast<std::uintptr_t>(q); };
    if (FSemicolonFrom && address(from) >= address(FSemicolonFrom)
        && (!FSemicolonAt || address(from) <= address(FSemicolonAt)))
        return FSemicolonAt;
    FSemicolonFrom = from;
    FSemicolonAt = std::strchr(from, ';');
    return FSemicolonAt;
}

std::string TVmdXmlParser::CharacterReference(std::string_view number, int unparsable)
{
    int value = 0;
    const bool parsed = (!number.empty() && number[0] == 'x') ? ParseNumber(number.substr(1), 16, value)
                                                               : ParseNumber(number, 10, value);
    return TranslateCharacter(parsed ? value : unparsable, "\xBF");
}

// ---------------------------------------------------------------------------------
// Attribute values

void TVmdXmlParser::ApplyAttributeDefaults()
{
    if (Elements.Count() == 0)
        return;
    const TElemDef* element = Elements.Node(CurName);
    if (!element)
        return;
    for (int i = 0; i < element->Count(); ++i) {
        const TAttrDef* declared = element->AttrDef(i);
        if (!declared)
            continue;
        TAttr* attr = CurAttr.Attr(declared->Name);
        if (!attr && !declared->Value.empty())
            attr = CurAttr.AddAttr(declared->Name, declared->Value, vtDefault);
        if (!attr)
            continue;
        if (declared->DefaultType == adImplied) {
            attr->ValueType = vtImplied;
        } else if (declared->DefaultType == adFixed) {
            attr->ValueType = vtFixed;
            attr->Value = declared->Value;
        }
        attr->AttrType = declared->AttrType;
    }
}

void TVmdXmlParser::NormalizeAttributes()
{
    for (int i = 0; i < CurAttr.Count(); ++i) {
        TNvpNode* attr = CurAttr.Node(i);
        std::string value;
        AttributeValue(attr->Value, true, 0, value);
        attr->Value = std::move(value);
        const TAttr* typed = attr->AsAttr();
        if (typed && typed->AttrType > atCData)
            CollapseSpaces(attr->Value);
    }
}

void TVmdXmlParser::AttributeValue(std::string_view value, bool translate, int depth, std::string& out)
{
    const std::size_t n = value.size();
    std::size_t run = 0;
    std::size_t i = 0;
    bool noSemicolonLeft = false;
    const auto flush = [&](std::size_t upto) {
        if (upto == run)
            return;
        const std::string_view piece = value.substr(run, upto - run);
        if (translate)
            Append(out, TranslateEncoding(piece));
        else
            out += piece;
    };
    // Most values hold nothing to replace: one conversion, no copying run by run.
    if (value.find_first_of("&\t\n\r") == std::string_view::npos) {
        flush(n);
        return;
    }
    while (i < n) {
        const char c = value[i];
        if (c == '\t' || c == '\n' || c == '\r') {
            flush(i);
            out += ' ';
            run = ++i;
            continue;
        }
        if (c != '&') {
            ++i;
            continue;
        }
        flush(i);
        std::size_t semicolon = std::string_view::npos;
        if (!noSemicolonLeft) {
            semicolon = value.find(';', i + 2);
            noSemicolonLeft = semicolon == std::string_view::npos;
        }
        if (semicolon == std::string_view::npos) {
            i = (i + 2 < n) ? i + 2 : n;  // the "&" goes with the character after it
            run = i;
            continue;
        }
        const std::string_view name = value.substr(i + 1, semicolon - i - 1);
        if (!AttributeReference(name, depth, out)) {
            if (translate)
                Append(out, TranslateEncoding(name));
            else
                out += name;
        }
        i = semicolon + 1;
        run = i;
    }
    flush(n);
}

// Appends the text of a reference in an attribute value; false for a name that stands
// for itself (undeclared, or over the expansion limits).
bool TVmdXmlParser::AttributeReference(std::string_view name, int depth, std::string& out)
{
    if (const char* text = PredefinedEntity(name)) {
        out += text;
        return true;
    }
    if (!name.empty() && name[0] == '#') {
        Append(out, CharacterReference(name.substr(1), 191));
        return true;
    }
    const TNvpNode* entity = Entities.Node(name);
    if (!entity)
        return false;
    if (!entity->Value.empty()) {
        if (!MayExpand(entity->Value.size() + ExpansionOverhead, depth + 1))
            return false;
        AttributeValue(entity->Value, true, depth + 1, out);
        return true;
    }
    const auto* external = dynamic_cast<const TEntityDef*>(entity);
    if (!external)
        return false;
    std::unique_ptr<TVmdXmlParser> nested =
        OpenExternal(external->SystemId, external->PublicId, external->NotationName, depth + 1);
    if (!nested)
        return false;
    nested->SetNormalize(FNormalize);
    nested->StartScan();
    std::string joined;
    while (nested->Scan()) {
        if (nested->CurPartType == ptContent || nested->CurPartType == ptCData)
            joined += nested->CurContent;
    }
    AttributeValue(joined, false, depth + 1, out);
    return true;
}

// ---------------------------------------------------------------------------------
// Expansion limits

int TVmdXmlParser::OpenDepth() const
{
    return FNestLevel + EntityStack.Count();
}

bool TVmdXmlParser::MayExpand(std::size_t cost, int extraDepth)
{
    if (OpenDepth() + extraDepth > MaxEntityDepth)
        return false;
    if (FBudget->Allowance == 0)
        FBudget->Allowance = FExpansionLimit ? FExpansionLimit : ExpansionAllowance(std::strlen(DocBuffer()));
    if (cost > FBudget->Allowance - FBudget->Used)
        return false;
    FBudget->Used += cost;
    return true;
}

std::unique_ptr<TVmdXmlParser> TVmdXmlParser::OpenExternal(const std::string& systemId,
                                                           const std::string& publicId,
                                                           const std::string& notation,
                                                           int extraDepth)
{
    if (!MayExpand(ExternalLoadOverhead, extraDepth))
        return nullptr;
    std::unique_ptr<TVmdXmlParser> instance = LoadExternalEntity(systemId, publicId, notation);
    if (!instance || !MayExpand(std::strlen(instance->DocBuffer()), extraDepth))
        return nullptr;
    // The entity's own references count against this document's limits.
    instance->FBudget = FBudget;
    instance->FNestLevel = OpenDepth() + extraDepth;
    return instance;
}

// ---------------------------------------------------------------------------------
// Overridable operations

std::string TVmdXmlParser::TranslateEncoding(std::string_view Source)
{
    if (FCurEncoding == "UTF-8")
        return Utf8ToWindows1252(Source);
    return std::string(Source);
}

std::string TVmdXmlParser::TranslateCharacter(int UnicodeValue, std::string_view /*UnknownChar*/)
{
    // A character without a Windows-1252 byte is always "¿", whatever UnknownChar holds.
    const int byte = UnicodeToWindows1252(UnicodeValue);
    return std::string(1, byte < 0 ? UnknownCharacter : static_cast<char>(byte));
}

void TVmdXmlParser::DtdElementFound(const TDtdElementRec& /*DtdElementRec*/) {}
