#pragma once

#include "library/xmlscanner/dtddefs.h"
#include "library/xmlscanner/nvplist.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The kind of the part a Scan has recognised.
enum TPartType {
    ptNone, ptXmlProlog, ptComment, ptPI, ptDtdc, ptStartTag, ptEmptyTag, ptEndTag,
    ptContent, ptCData
};

class TVmdXmlParser;

// One open entity: where to continue when its replacement text ends.
struct TEntityStackNode {
    std::unique_ptr<TVmdXmlParser> Instance;  // scanner of an external entity, or null
    std::string Encoding;                       // the scanner's CurEncoding when pushed
    const char* LastPos = nullptr;
};

// The places to return to when the replacement text of an entity ends.
class TEntityStack {
public:
    explicit TEntityStack(TVmdXmlParser* TheOwner);
    ~TEntityStack();
    TEntityStack(const TEntityStack&) = delete;
    TEntityStack& operator=(const TEntityStack&) = delete;

    void Push(const char* LastPos);
    void Push(std::unique_ptr<TVmdXmlParser> Instance, const char* LastPos);
    // Answers the position of the last entry and removes it, restoring the owner's
    // CurEncoding; null when the stack is empty. The entry's scanner is kept alive
    // until the owner's next Scan, so CurStart of the current part stays readable.
    const char* Pop();
    void Clear();
    int Count() const { return static_cast<int>(FNodes.size()); }
    TVmdXmlParser* Owner() const { return FOwner; }

private:
    TVmdXmlParser* FOwner;
    std::vector<TEntityStackNode> FNodes;
};

// A pull scanner over one zero-terminated 8-bit XML text held in memory. Every Scan
// recognises the next part of the document and describes it in the Cur... fields; the
// texts it hands out are Windows-1252 (UTF-8 input is converted). It never raises on
// malformed input and never reads past the terminating zero.
//
// Entity expansion is bounded: at most MaxEntityDepth entities may be open inside one
// another, and one pass may expand at most ExpansionAllowance(document length) bytes
// (or ExpansionLimit when one is set). A reference beyond either limit is treated as an
// undeclared one (its name).
class TVmdXmlParser {
public:
    static constexpr int MaxEntityDepth = 32;
    // Cost charged for every expansion on top of its length, and for loading an
    // external entity on top of its size, so that empty entities cannot be expanded
    // without end either.
    static constexpr std::size_t ExpansionOverhead = 64;
    static constexpr std::size_t ExternalLoadOverhead = 4096;
    static std::size_t ExpansionAllowance(std::size_t documentLength)
    {
        return (std::size_t{8} << 20) + 16 * documentLength;
    }

    TVmdXmlParser();
    virtual ~TVmdXmlParser();
    TVmdXmlParser(const TVmdXmlParser&) = delete;
    TVmdXmlParser& operator=(const TVmdXmlParser&) = delete;

    // Forgets the document and its declarations; the Cur... fields stay as they are.
    void Clear();
    // Loads a whole file (FileMode is the Windows sharing mode; 64 lets others read and
    // write). False when it cannot be opened or read.
    bool LoadFromFile(const std::string& Filename, std::uint8_t FileMode = 64);
    // Copies the zero-terminated text (null counts as empty).
    bool LoadFromBuffer(const char* Buffer);
    // Scans the caller's zero-terminated text in place; the caller keeps it alive.
    void SetBuffer(const char* Buffer);

    // Rewinds to the beginning of the text; declarations already read are kept.
    void StartScan();
    // Recognises the next part; false at the end of the document.
    bool Scan();

    const std::string& XmlVersion() const { return FXmlVersion; }
    const std::string& Encoding() const { return FEncoding; }
    bool Standalone() const { return FStandalone; }
    const std::string& RootName() const { return FRootName; }
    const std::string& Source() const { return FSource; }
    const std::string& CurEncoding() const { return FCurEncoding; }
    bool Normalize() const { return FNormalize; }
    void SetNormalize(bool Value) { FNormalize = Value; }
    // Bytes of replacement text one pass may expand; 0 (the default) means
    // ExpansionAllowance of the document's length. Kept by Clear and loading.
    std::size_t ExpansionLimit() const { return FExpansionLimit; }
    void SetExpansionLimit(std::size_t Bytes) { FExpansionLimit = Bytes; }
    // The text being scanned, or an empty text when nothing is loaded.
    const char* DocBuffer() const;

    // A new scanner holding the external entity's file; resolved against the folder of
    // Source. Answers an empty scanner when the file cannot be loaded.
    virtual std::unique_ptr<TVmdXmlParser> LoadExternalEntity(const std::string& SystemId,
                                                              const std::string& PublicId,
                                                              const std::string& Notation);
    // Converts a run of document text to Windows-1252 (only when CurEncoding is "UTF-8").
    virtual std::string TranslateEncoding(std::string_view Source);
    // The text of a character reference: the Windows-1252 byte, or "¿" when there is none.
    virtual std::string TranslateCharacter(int UnicodeValue, std::string_view UnknownChar);
    // Called for each item of a document type declaration; does nothing here.
    virtual void DtdElementFound(const TDtdElementRec& DtdElementRec);

private:
    const char* FBuffer = nullptr;
    std::int32_t FBufferSize = 0;
    std::string FSource;
    std::string FXmlVersion;
    std::string FEncoding;
    bool FStandalone = false;
    std::string FRootName;
    const char* FDtdcFinal = nullptr;
    bool FNormalize = true;

public:
    TEntityStack EntityStack;

private:
    std::string FCurEncoding;

public:
    TElemList Elements;
    TNvpList Entities;
    TNvpList ParEntities;
    TNvpList Notations;
    TPartType CurPartType = ptNone;
    std::string CurName;
    std::string CurContent;
    const char* CurStart = nullptr;
    const char* CurFinal = nullptr;
    TAttrList CurAttr;

private:
    friend class TEntityStack;

    // Shared by a scanner and the scanners it opens for external entities in attribute
    // values, so that the limits hold across them.
    struct ExpansionBudget {
        std::size_t Used = 0;
        std::size_t Allowance = 0;  // 0 until first needed
    };

    // Scanning (vmdxmlparser.cpp).
    const char* ScanStart();
    void ScanProlog(const char* start);
    const char* ScanPI(const char* start);
    void ScanComment(const char* start);
    void ScanCData(const char* start);
    void ScanTag(const char* start);
    void ScanContent(const char* start);
    void ResolveContentReference(const char*& p, const char* semicolon);
    void ApplyAttributeDefaults();
    void NormalizeAttributes();
    void AttributeValue(std::string_view value, bool translate, int depth, std::string& out);
    bool AttributeReference(std::string_view name, int depth, std::string& out);
    std::string CharacterReference(std::string_view number, int unparsable);
    const char* FindSemicolon(const char* from);
    void ForgetSemicolon() { FSemicolonFrom = nullptr; }
    void FreeRetired() { FRetired.clear(); }

    // Expansion limits.
    int OpenDepth() const;
    bool MayExpand(std::size_t cost, int extraDepth);
    std::unique_ptr<TVmdXmlParser> OpenExternal(const std::string& systemId, const std::string& publicId,
                                                const std::string& notation, int extraDepth);

    // Document type declaration (vmdxmldtd.cpp).
    void ScanDoctype(const char* start);
    const char* AnalyzeDoctype(const char* start);
    const char* SkipDoctype(const char* start);
    void ReadExternalSubset(const char*& p);
    const char* WalkDeclarations(const char* p, int floor);
    bool PopAtZero(const char*& p, int floor);
    void EnterParameterEntity(const char*& p);
    template <class Step>
    const char* WalkToClose(const char*& p, int floor, bool expandParameters, Step step);
    const char* ElementDecl(const char* start);
    const char* AttListDecl(const char* start, int floor);
    const char* EntityDecl(const char* start, int floor);
    const char* NotationDecl(const char* start, int floor);
    std::string ReplaceParameterRefs(std::string_view text, int depth);
    std::string ReplaceCharacterRefs(std::string_view text, bool asDocumentText);
    void Report(TDtdElemType type, const char* start, const char* final);
    void RetireDefinition(std::unique_ptr<TNvpNode> node);

    std::unique_ptr<char[]> FOwnedBuffer;
    const char* FNext = nullptr;      // where the next part begins; null = at the start
    const char* FDtdcStart = nullptr;  // the "<" of the analysed declaration
    const char* FSemicolonFrom = nullptr;
    const char* FSemicolonAt = nullptr;
    ExpansionBudget FOwnBudget;
    ExpansionBudget* FBudget = &FOwnBudget;
    int FNestLevel = 0;
    std::size_t FExpansionLimit = 0;
    // Scanners of entities that have ended, freed at the next Scan.
    std::vector<std::unique_ptr<TVmdXmlParser>> FRetired;
    // Replaced declarations; their texts may still be being scanned.
    std::vector<std::unique_ptr<TNvpNode>> FRetiredDefs;
};
