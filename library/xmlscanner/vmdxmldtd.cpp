// Document type declarations: the walk over the declaration, the element, attribute-list,
// entity and notation declarations, parameter entities and external entities.

#include "library/xmlscanner/vmdxmlparser.h"

#include "library/xmlscanner/scannertext.h"
#include "library/xmlscanner/windows1252.h"

#include <cstring>

using namespace scannertext;

namespace {

// Where a walk goes on after an external identifier: after its closing mark, or at the
// ">", "[" or terminating zero where reading it stopped.
const char* AfterExternalID(const TExternalID& id)
{
    return IsQuote(*id.Final) ? id.Final + 1 : id.Final;
}

// Reads the literal opened at p; answers where the walk goes on.
const char* ReadQuoted(const char* p, std::string& out)
{
    const char* body = p + 1;
    const char* close = std::strchr(body, *p);
    const char* end = close ? close : EndOfText(body);
    out.assign(body, end);
    return close ? close + 1 : end;
}

// A name or word in an attribute-list declaration.
const char* AttListWordEnd(const char* p, bool stopAtParenthesis)
{
    while (*p != '\0' && !IsXmlSpace(*p) && !IsQuote(*p) && *p != '#' && *p != '>'
           && !(stopAtParenthesis && (*p == '(' || *p == '%')))
        ++p;
    return p;
}

TAttrType AttrTypeOf(std::string_view word)
{
    if (word == "CDATA")
        return atCData;
    if (word == "ID")
        return atID;
    if (word == "IDREF")
        return atIdRef;
    if (word == "IDREFS")
        return atIdRefs;
    if (word == "ENTITY")
        return atEntity;
    if (word == "ENTITIES")
        return atEntities;
    if (word == "NMTOKEN")
        return atNmToken;
    if (word == "NMTOKENS")
        return atNmTokens;
    return atUnknown;
}

TElemType ElemTypeOf(const std::string& definition)
{
    if (definition == "EMPTY")
        return etEmpty;
    if (definition == "ANY")
        return etAny;
    if (definition.rfind("(#PCDATA", 0) == 0)
        return etMixed;
    if (definition.rfind("(", 0) == 0)
        return etChildren;
    return etAny;
}

// Whether a system identifier names its file without the document's folder. A leading
// "/" or "\" starts at the root (on Windows: of the current drive, or "\\server\share"),
// and on Windows "C:" names a drive.
bool IsRootedPath(const std::string& path)
{
    if (path.empty())
        return false;
    if (path[0] == '/' || path[0] == '\\')
        return true;
#ifdef _WIN32
    const char letter = static_cast<char>(path[0] | 0x20);
    return path.size() >= 2 && path[1] == ':' && letter >= 'a' && letter <= 'z';
#else
    return false;
#endif
}

} // namespace

void TVmdXmlParser::ScanDoctype(const char* start)
{
    CurPartType = ptDtdc;
    if (!FDtdcFinal) {
        FDtdcStart = EntityStack.Count() == 0 ? start : nullptr;
        FDtdcFinal = AnalyzeDoctype(start);
        CurFinal = FDtdcFinal;
    } else if (start == FDtdcStart) {
        // Met again after a rewind: declared once per load, so only skipped.
        EntityStack.Clear();
        CurFinal = FDtdcFinal;
    } else {
        // A further declaration (later in the text or inside an entity) would otherwise
        // send the scan back to the end of the first one, over and over; it is skipped
        // to its own end and its declarations are ignored.
        CurFinal = SkipDoctype(start);
    }
    CurName.clear();
    CurContent.clear();
}

// The walk every declaration with parts shares: from p to the ">" that closes it, out of
// the parameter entities it entered (down to floor) where their text ends, over
// whitespace and, with expandParameters, into each parameter entity referenced. Every
// other character goes to step, which reads on from p. Answers the last character of the
// declaration (its ">", or the one before the terminating zero) and leaves p after it.
template <class Step>
const char* TVmdXmlParser::WalkToClose(const char*& p, int floor, bool expandParameters, Step step)
{
    for (;;) {
        const char c = *p;
        if (c == '\0') {
            if (PopAtZero(p, floor))
                continue;
            return p - 1;
        }
        if (c == '>')
            return p++;
        if (IsXmlSpace(c))
            ++p;
        else if (expandParameters && c == '%')
            EnterParameterEntity(p);
        else
            step(c);
    }
}

const char* TVmdXmlParser::AnalyzeDoctype(const char* start)
{
    // At the document level the floor is 0: the entity stack ends up empty. Inside an
    // entity's text only the entries opened by the declaration itself are dropped.
    const int floor = EntityStack.Count();
    const char* p = start + 9;
    bool afterName = false;
    bool afterSubset = false;
    const char* end = WalkToClose(p, floor, true, [&](char c) {
        if (c == '[') {
            p = WalkDeclarations(p + 1, floor);
        } else if (c == ']') {
            afterSubset = true;
            ++p;
        } else if (afterSubset) {
            Report(deError, p, p);
            ++p;
        } else if (!afterName) {
            if (IsNameStart(c)) {
                const char* name = p;
                while (*p != '\0' && !IsXmlSpace(*p) && *p != '>' && *p != '[')
                    ++p;
                FRootName.assign(name, p);
                afterName = true;
            } else {
                ++p;
            }
        } else if (StartsWith(p, "SYSTEM") || StartsWith(p, "PUBLIC")) {
            ReadExternalSubset(p);
        } else {
            ++p;
        }
    });
    if (EntityStack.Count() > floor) {
        Report(deError, end, end);
        const char* resume = end + 1;
        while (EntityStack.Count() > floor)
            resume = EntityStack.Pop();
        // The ">" stood in replacement text. In the text the declaration began in, it
        // ends with the reference that was open, so the scan goes on right after that
        // reference instead of at the end of the replacement text (which would end the
        // whole document there).
        end = resume - 1;
    }
    return end;
}

const char* TVmdXmlParser::SkipDoctype(const char* start)
{
    const char* p = start + 9;
    int brackets = 0;
    for (;;) {
        const char c = *p;
        if (c == '\0')
            return p - 1;
        if (IsQuote(c)) {
            const char* close = std::strchr(p + 1, c);
            if (!close)
                return EndOfText(p + 1) - 1;
            p = close + 1;
            continue;
        }
        const char* closer = StartsWith(p, "<!--") ? "-->" : StartsWith(p, "<?") ? "?>" : nullptr;
        if (brackets > 0 && closer) {
            const char* close = std::strstr(p + 2, closer);
            if (!close)
                return EndOfText(p + 2) - 1;
            p = close + std::strlen(closer);
            continue;
        }
        if (c == '[')
            ++brackets;
        else if (c == ']' && brackets > 0)
            --brackets;
        else if (c == '>' && brackets == 0)
            return p;
        ++p;
    }
}

void TVmdXmlParser::ReadExternalSubset(const char*& p)
{
    const TExternalID id(p);
    p = AfterExternalID(id);
    std::unique_ptr<TVmdXmlParser> subset = OpenExternal(id.SystemId, id.PublicId, std::string(), 1);
    if (!subset)
        return;
    const char* declarations = std::strstr(subset->DocBuffer(), "<!");
    if (!declarations)
        return;
    // The walk must not leave the subset's text: entries it opens are dropped before
    // the subset's scanner is freed.
    const int floor = EntityStack.Count();
    ForgetSemicolon();
    WalkDeclarations(declarations, floor);
    while (EntityStack.Count() > floor)
        EntityStack.Pop();
    ForgetSemicolon();
}

bool TVmdXmlParser::PopAtZero(const char*& p, int floor)
{
    if (EntityStack.Count() <= floor)
        return false;
    p = EntityStack.Pop();
    return true;
}

void TVmdXmlParser::EnterParameterEntity(const char*& p)
{
    const char* semicolon = FindSemicolon(p + 1);
    if (!semicolon) {
        ++p;
        return;
    }
    const std::string_view name(p + 1, static_cast<std::size_t>(semicolon - p - 1));
    p = semicolon + 1;
    const TNvpNode* entity = ParEntities.Node(name);
    if (entity && !entity->Value.empty()
        && MayExpand(entity->Value.size() + ExpansionOverhead, 1)) {
        EntityStack.Push(p);
        p = entity->Value.c_str();
    }
}

const char* TVmdXmlParser::WalkDeclarations(const char* p, int floor)
{
    for (;;) {
        const char c = *p;
        if (c == '\0') {
            if (PopAtZero(p, floor))
                continue;
            return p;
        }
        if (c == ']' || c == '>')
            return p;
        if (c == '%') {
            EnterParameterEntity(p);
        } else if (c != '<') {
            ++p;
        } else if (StartsWith(p, "<!ELEMENT")) {
            p = ElementDecl(p);
        } else if (StartsWith(p, "<!ATTLIST")) {
            p = AttListDecl(p, floor);
        } else if (StartsWith(p, "<!ENTITY")) {
            p = EntityDecl(p, floor);
        } else if (StartsWith(p, "<!NOTATION")) {
            p = NotationDecl(p, floor);
        } else if (StartsWith(p, "<?")) {
            const char* final = ScanPI(p);
            TDtdElementRec rec;
            rec.Start = p;
            rec.Final = final;
            rec.ElementType = dePI;
            rec.Target = &CurName;
            rec.Content = &CurContent;
            rec.AttrList = &CurAttr;
            DtdElementFound(rec);
            p = final + 1;
        } else if (StartsWith(p, "<!--")) {
            const char* close = std::strstr(p + 4, "-->");
            const char* final = close ? close + 2 : EndOfText(p + 4) - 1;
            Report(deComment, p, final);
            p = final + 1;
        } else {
            Report(deError, p, p);
            ++p;
        }
    }
}

const char* TVmdXmlParser::ElementDecl(const char* start)
{
    const char* p = start + 9;
    while (*p != '\0' && *p != '>' && !IsNameStart(*p))
        ++p;
    if (!IsNameStart(*p))  // no name before the end of the declaration
        return *p == '>' ? p + 1 : p;
    const char* name = p;
    // Stopping at ">" as well keeps "<!ELEMENT a>" from swallowing the next declaration.
    while (*p != '\0' && !IsXmlSpace(*p) && *p != '>')
        ++p;
    const char* close = std::strchr(p, '>');
    const char* end = close ? close : EndOfText(p);

    auto element = std::make_unique<TElemDef>(std::string(name, p));
    const std::string compact = RemoveSpaces(std::string_view(p, static_cast<std::size_t>(end - p)));
    element->Definition = RemoveSpaces(ReplaceParameterRefs(compact, 0));
    element->ElemType = ElemTypeOf(element->Definition);
    Elements.Remove(element->Name);  // with the attribute declarations attached to it
    TElemDef* added = Elements.Add(std::move(element));

    TDtdElementRec rec;
    rec.Start = start;
    rec.Final = close ? close : end - 1;
    rec.ElementType = deElement;
    rec.ElemDef = added;
    DtdElementFound(rec);
    return close ? close + 1 : end;
}

const char* TVmdXmlParser::AttListDecl(const char* start, int floor)
{
    enum State { ElementName, AttrName, Type, NotationList, Default, FixedValue };
    State state = ElementName;
    TElemDef* element = nullptr;
    TAttrDef* attr = nullptr;
    const char* p = start + 9;
    const char* final = WalkToClose(p, floor, true, [&](char c) {
        switch (state) {
        case ElementName: {
            const char* end = AttListWordEnd(p, false);
            if (end == p) {
                ++p;
                break;
            }
            const std::string name(p, end);
            element = Elements.Node(name);
            if (!element) {
                auto added = std::make_unique<TElemDef>(name);
                added->Definition = "ANY";
                added->ElemType = etAny;
                element = Elements.Add(std::move(added));
            }
            p = end;
            state = AttrName;
            break;
        }
        case AttrName: {
            const char* end = AttListWordEnd(p, false);
            if (end == p) {
                ++p;
                break;
            }
            const std::string name(p, end);
            element->Remove(name);
            attr = static_cast<TAttrDef*>(element->Add(std::make_unique<TAttrDef>(name)));
            p = end;
            state = Type;
            break;
        }
        case Type: {
            if (c == '(') {
                const char* close = std::strchr(p, ')');
                const char* end = close ? close : EndOfText(p);
                const std::string list = RemoveSpaces(std::string_view(p + 1, static_cast<std::size_t>(end - p - 1)));
                attr->TypeDef = ReplaceCharacterRefs(ReplaceParameterRefs(list, 0), false);
                attr->AttrType = atEnumeration;
                p = close ? close + 1 : end;
                state = Default;
                break;
            }
            const char* end = AttListWordEnd(p, true);
            const std::string_view word(p, static_cast<std::size_t>(end - p));
            p = end;
            if (word == "NOTATION") {
                attr->AttrType = atNotation;
                state = NotationList;
            } else {
                attr->AttrType = AttrTypeOf(word);
                state = Default;  // an empty word: the type is missing
            }
            break;
        }
        case NotationList:
            if (c == '(') {
                const char* close = std::strchr(p, ')');
                const char* end = close ? close : EndOfText(p);
                const std::string list = RemoveSpaces(std::string_view(p + 1, static_cast<std::size_t>(end - p - 1)));
                attr->Notations = ReplaceParameterRefs(list, 0);
                p = close ? close + 1 : end;
            }
            state = Default;
            break;
        case Default:
        case FixedValue:
            if (IsQuote(c)) {
                std::string value;
                p = ReadQuoted(p, value);
                attr->Value = ReplaceCharacterRefs(ReplaceParameterRefs(value, 0), true);
                state = AttrName;
            } else if (c == '#' && state == Default) {
                const char* end = AttListWordEnd(p + 1, true);
                const std::string_view word(p, static_cast<std::size_t>(end - p));
                p = end;
                state = AttrName;
                if (word == "#REQUIRED") {
                    attr->DefaultType = adRequired;
                } else if (word == "#IMPLIED") {
                    attr->DefaultType = adImplied;
                } else if (word == "#FIXED") {
                    attr->DefaultType = adFixed;
                    state = FixedValue;
                }
            } else {
                // No default where one was due: read on as the next attribute.
                state = AttrName;
                if (c == '#')
                    ++p;
            }
            break;
        }
    });
    if (element) {
        TDtdElementRec rec;
        rec.Start = start;
        rec.Final = final;
        rec.ElementType = deAttList;
        rec.ElemDef = element;
        DtdElementFound(rec);
    }
    return p;
}

const char* TVmdXmlParser::EntityDecl(const char* start, int floor)
{
    auto entity = std::make_unique<TEntityDef>();
    bool parameter = false;
    bool named = false;
    bool defined = false;  // a literal or an external identifier has been read
    const char* p = start + 8;
    // Parameter references are not expanded here: a "%" before the name marks a
    // parameter entity.
    const char* final = WalkToClose(p, floor, false, [&](char c) {
        if (!named) {
            if (c == '%') {
                parameter = true;
                ++p;
            } else if (IsNameStart(c)) {
                const char* name = p;
                while (*p != '\0' && !IsXmlSpace(*p) && !IsQuote(*p) && *p != '>')
                    ++p;
                entity->Name.assign(name, p);
                named = true;
            } else {
                ++p;
            }
        } else if (IsQuote(c)) {
            std::string literal;
            p = ReadQuoted(p, literal);
            if (!defined)
                entity->Value = std::move(literal);
            defined = true;
        } else if (!defined && (StartsWith(p, "SYSTEM") || StartsWith(p, "PUBLIC"))) {
            const TExternalID id(p);
            entity->SystemId = id.SystemId;
            entity->PublicId = id.PublicId;
            p = AfterExternalID(id);
            defined = true;
        } else if (StartsWith(p, "NDATA")) {
            p += 5;
            while (IsXmlSpace(*p))
                ++p;
            const char* name = p;
            while (*p != '\0' && !IsXmlSpace(*p) && *p != '>')
                ++p;
            entity->NotationName.assign(name, p);
        } else {
            ++p;
        }
    });
    if (!named)
        return p;
    TEntityDef* added = nullptr;
    if (parameter) {
        entity->Value = ReplaceCharacterRefs(entity->Value, true);
        RetireDefinition(ParEntities.Remove(entity->Name));
        added = static_cast<TEntityDef*>(ParEntities.Add(std::move(entity)));
    } else {
        entity->Value = ReplaceCharacterRefs(ReplaceParameterRefs(entity->Value, 0), true);
        RetireDefinition(Entities.Remove(entity->Name));
        added = static_cast<TEntityDef*>(Entities.Add(std::move(entity)));
    }
    TDtdElementRec rec;
    rec.Start = start;
    rec.Final = final;
    rec.ElementType = deEntity;
    rec.EntityDef = added;
    DtdElementFound(rec);
    return p;
}

const char* TVmdXmlParser::NotationDecl(const char* start, int floor)
{
    auto notation = std::make_unique<TNotationDef>();
    bool named = false;
    bool identified = false;
    const char* p = start + 10;
    const char* final = WalkToClose(p, floor, false, [&](char c) {
        if (!named) {
            const char* name = p;
            while (*p != '\0' && !IsXmlSpace(*p) && *p != '>')
                ++p;
            notation->Name.assign(name, p);
            named = true;
        } else if (!identified && (StartsWith(p, "SYSTEM") || StartsWith(p, "PUBLIC"))) {
            const TExternalID id(p);
            notation->Value = id.SystemId;
            notation->PublicId = id.PublicId;
            p = AfterExternalID(id);
            identified = true;
        } else if (IsQuote(c)) {
            std::string ignored;
            p = ReadQuoted(p, ignored);
        } else {
            ++p;
        }
    });
    if (!named)
        return p;
    auto* added = static_cast<TNotationDef*>(Notations.Add(std::move(notation)));
    TDtdElementRec rec;
    rec.Start = start;
    rec.Final = final;
    rec.ElementType = deNotation;
    rec.NotationDef = added;
    DtdElementFound(rec);
    return p;
}

std::string TVmdXmlParser::ReplaceParameterRefs(std::string_view text, int depth)
{
    std::string out;
    std::size_t done = 0;
    for (;;) {
        const std::size_t percent = text.find('%', done);
        if (percent == std::string_view::npos)
            break;
        const std::size_t semicolon = text.find(';', percent + 2);
        if (semicolon == std::string_view::npos)
            break;
        out.append(text.substr(done, percent - done));
        const std::string_view name = text.substr(percent + 1, semicolon - percent - 1);
        const TNvpNode* entity = ParEntities.Node(name);
        if (entity && MayExpand(entity->Value.size() + ExpansionOverhead, depth + 1))
            out += ReplaceParameterRefs(entity->Value, depth + 1);
        else
            out.append(text.substr(percent, semicolon + 1 - percent));  // left as it is
        done = semicolon + 1;
    }
    out.append(text.substr(done));
    return out;
}

// With asDocumentText the characters are written the way the document writes its text:
// a declared value is converted with TranslateEncoding again wherever it is used, so in
// a UTF-8 document "&#233;" must become UTF-8 here, or it would come out as "¿".
std::string TVmdXmlParser::ReplaceCharacterRefs(std::string_view text, bool asDocumentText)
{
    std::string out;
    std::size_t done = 0;
    for (;;) {
        const std::size_t ampersand = text.find("&#", done);
        if (ampersand == std::string_view::npos)
            break;
        const std::size_t semicolon = text.find(';', ampersand + 3);
        if (semicolon == std::string_view::npos)
            break;
        out.append(text.substr(done, ampersand - done));
        const std::string character = CharacterReference(text.substr(ampersand + 2, semicolon - ampersand - 2), ' ');
        out += (asDocumentText && FCurEncoding == "UTF-8") ? Windows1252ToUtf8(character) : character;
        done = semicolon + 1;
    }
    out.append(text.substr(done));
    return out;
}

void TVmdXmlParser::Report(TDtdElemType type, const char* start, const char* final)
{
    TDtdElementRec rec;
    rec.Start = start;
    rec.Final = final;
    rec.ElementType = type;
    if (type == deError)
        rec.Pos = start;
    DtdElementFound(rec);
}

void TVmdXmlParser::RetireDefinition(std::unique_ptr<TNvpNode> node)
{
    if (node)
        FRetiredDefs.push_back(std::move(node));
}

std::unique_ptr<TVmdXmlParser> TVmdXmlParser::LoadExternalEntity(const std::string& SystemId,
                                                                 const std::string& /*PublicId*/,
                                                                 const std::string& /*Notation*/)
{
#ifdef _WIN32
    const char separator = '\\';
    const char* folderSeparators = "\\/";
#else
    // Identifiers written for Windows use "\"; on this platform both separate folders.
    const char separator = '/';
    const char* folderSeparators = "/";
#endif
    const bool absolute = IsRootedPath(SystemId);
    std::string path = SystemId;
    for (char& c : path) {
        if (c == '/' || c == '\\')
            c = separator;
    }
    if (!absolute && !(FSource.size() > 0 && FSource[0] == '<')) {
        const std::size_t slash = FSource.find_last_of(folderSeparators);
        if (slash != std::string::npos)
            path.insert(0, FSource, 0, slash + 1);
    }
    auto scanner = std::make_unique<TVmdXmlParser>();
    scanner->LoadFromFile(path, 64);
    return scanner;
}
