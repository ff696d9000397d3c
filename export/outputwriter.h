#pragma once

#include "export/schemacheck.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The export's output while it is built, front to back. Only the open elements, from
// the document element down to the cursor, can still change (the cursor gets
// attributes, children and content; an ancestor again once the cursor is back on it),
// so they are all that is kept apart: an element becomes text the moment it is
// closed, and no tree is ever built.
//
// The text is byte for byte what libxml2 writes for the same tree (UTF-8, no
// declaration, no whitespace added): texts escape & < > and CR, attribute values also
// " TAB and LF; everything else passes as it is; a value ends at a NUL character; an
// element without children is written as <name/>. Names are checked as the document
// checks them (XmlError).
class TOutputWriter {
public:
    explicit TOutputWriter(std::string_view rootName);

    std::string_view CursorName() const { return open_[depth_ - 1].name; }
    // 1 while the cursor is the document element.
    size_t Depth() const { return depth_; }

    // A new last child of the cursor, which becomes the cursor.
    void Begin(std::string_view name);
    // Closes the cursor; its parent becomes the cursor. False, and nothing changes,
    // at the document element.
    bool End();
    // Replaces the cursor's content (its children) by one text.
    void SetText(std::string_view text);
    // Sets an attribute of the cursor: a new one goes last, an existing one keeps its
    // place and takes the new value.
    void SetAttribute(std::string_view name, std::string_view value);
    // Marks the cursor as made or filled by the row of origin.
    void MarkCursor(const TOutputOrigin* origin);

    // From now on the origin of every element is kept, in document order, for
    // Origins(). Elements made before have none.
    void KeepOrigins();
    bool KeepsOrigins() const { return keepOrigins_; }
    // One entry per element of the text Finish gives, in the order of their start tags
    // (empty unless origins are kept).
    const std::vector<const TOutputOrigin*>& Origins() const { return origins_; }
    // Hands the origins over once the text is finished.
    std::vector<const TOutputOrigin*> TakeOrigins() { return std::move(origins_); }

    // Closes every open element and hands over the text, after prefix; the writer is
    // empty then.
    std::string Finish(std::string_view prefix = {});

private:
    struct OpenElement {
        std::string name;
        std::vector<std::pair<std::string, std::string>> attributes;
        size_t contentStart = 0;  // where its content begins in text_
        size_t element = 0;       // its place among all elements, in document order
        bool hasChildren = false;
    };
    OpenElement& Cursor() { return open_[depth_ - 1]; }
    void AppendStartTag(std::string& out, const OpenElement& element) const;

    // The contents of the open elements one after the other: each one's start tag is
    // written only when it is closed, since its attributes may change until then.
    std::string text_;
    std::vector<OpenElement> open_;  // entries beyond depth_ are kept for reuse
    size_t depth_ = 0;
    size_t elements_ = 0;
    bool keepOrigins_ = false;
    std::vector<const TOutputOrigin*> origins_;
};

// Whether a finished export text is sure to be well-formed without parsing it. It is
// when it was made from a writer's text by putting the UTF-8 declaration in front and
// whitespace before or after tags (formats, layout), still starts with that
// declaration (a format may break a line before it) and holds only characters XML
// allows, in valid UTF-8 (an attribute's constant value may hold others). Raw markup
// from constant texts or a conversion to a code page voids it.
bool IsWellFormedAsWritten(std::string_view finished);
