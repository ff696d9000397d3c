#pragma once

#include "library/xmlscanner/nvplist.h"

#include <string>

// Records of a document type declaration. All texts are 8-bit as written in the document.

enum TElemType { etEmpty, etAny, etChildren, etMixed };
enum TAttrDefault { adDefault, adRequired, adImplied, adFixed };

// One attribute declaration: Value is the declared default or fixed value.
class TAttrDef : public TNvpNode {
public:
    using TNvpNode::TNvpNode;

    std::string TypeDef;    // enumeration "(a|b)" with whitespace removed
    std::string Notations;  // notation list of a NOTATION type
    TAttrType AttrType = atUnknown;
    TAttrDefault DefaultType = adDefault;
};

// One element declaration; the list holds its attribute declarations.
class TElemDef : public TNvpList {
public:
    explicit TElemDef(std::string TheName = {}) : Name(std::move(TheName)) {}

    TAttrDef* AttrDef(std::string_view AttrName) const { return dynamic_cast<TAttrDef*>(Node(AttrName)); }
    TAttrDef* AttrDef(int Index) const { return dynamic_cast<TAttrDef*>(Node(Index)); }

    std::string Name;
    TElemType ElemType = etAny;
    std::string Definition;  // content model with all whitespace removed
};

// Element declarations sorted by name.
class TElemList : public TSortedList<TElemDef> {};

// One entity declaration; an empty Value means the entity is external.
class TEntityDef : public TNvpNode {
public:
    using TNvpNode::TNvpNode;

    std::string SystemId;
    std::string PublicId;
    std::string NotationName;
};

// One notation declaration: Value is the system identifier.
class TNotationDef : public TNvpNode {
public:
    using TNvpNode::TNvpNode;

    std::string PublicId;
};

// An external identifier read from "SYSTEM" or "PUBLIC" at Start. Final is the last
// character read: the closing mark of the last literal, or the ">", "[" or terminating
// zero where reading stopped. Never reads past the terminating zero.
class TExternalID {
public:
    explicit TExternalID(const char* Start);

    std::string PublicId;
    std::string SystemId;
    const char* Final = nullptr;
};

enum TDtdElemType { deElement, deAttList, deEntity, deNotation, dePI, deComment, deError };

// An item found in a document type declaration. The members after ElementType are
// meaningful by kind: ElemDef (deElement, deAttList), EntityDef (deEntity), NotationDef
// (deNotation), Target/Content/AttrList (dePI), Pos (deError). Every pointer is valid
// only during the call that hands the record over.
struct TDtdElementRec {
    const char* Start = nullptr;
    const char* Final = nullptr;
    TDtdElemType ElementType = deError;

    TElemDef* ElemDef = nullptr;
    TEntityDef* EntityDef = nullptr;
    TNotationDef* NotationDef = nullptr;
    const std::string* Target = nullptr;
    const std::string* Content = nullptr;
    const TAttrList* AttrList = nullptr;
    const char* Pos = nullptr;
};
