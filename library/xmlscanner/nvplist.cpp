#include "library/xmlscanner/nvplist.h"

#include <cstring>

std::string TNvpList::Value(std::string_view Name) const
{
    const TNvpNode* node = Node(Name);
    return node ? node->Value : std::string();
}

std::string TNvpList::Value(int Index) const
{
    const TNvpNode* node = Node(Index);
    return node ? node->Value : std::string();
}

std::string TNvpList::Name(int Index) const
{
    const TNvpNode* node = Node(Index);
    return node ? node->Name : std::string();
}

void TAttrList::Clear()
{
    // The tree nodes of attributes are kept, with their attributes, for the next tag.
    while (!FItems.empty()) {
        Items::node_type node = FItems.extract(FItems.begin());
        if (node.value()->AsAttr())
            FSpare.push_back(std::move(node));
    }
    TNvpList::Clear();
}

TAttrList::Items::node_type TAttrList::TakeSpare()
{
    if (FSpare.empty()) {
        Items spare;
        spare.insert(std::make_unique<TAttr>());
        return spare.extract(spare.begin());
    }
    Items::node_type node = std::move(FSpare.back());
    FSpare.pop_back();
    TAttr* attr = node.value()->AsAttr();
    attr->ValueType = vtNormal;
    attr->AttrType = atUnknown;
    return node;
}

TAttr* TAttrList::AddAttr(std::string_view Name, std::string_view Value, TValueType ValueType)
{
    Items::node_type node = TakeSpare();
    TAttr* attr = node.value()->AsAttr();
    attr->Name.assign(Name);
    attr->Value.assign(Value);
    attr->ValueType = ValueType;
    Insert(std::move(node));
    return attr;
}

void TAttrList::Analyze(const char* Start, const char*& Final)
{
    enum State { ExpectName, AfterName, AfterEquals };
    Clear();
    State state = ExpectName;
    const char* p = Start;
    const char* nameStart = nullptr;
    const char* nameEnd = nullptr;
    for (;;) {
        const char c = *p;
        if (c == '>' || c == '\0')
            break;
        if (IsXmlSpace(c)) {
            ++p;
            continue;
        }
        if (state == ExpectName) {
            if (!IsNameStart(c))
                break;
            nameStart = p;
            while (*p != '\0' && !IsXmlSpace(*p) && *p != '/' && *p != '=' && *p != '>')
                ++p;
            nameEnd = p;
            state = AfterName;
        } else if (state == AfterName) {
            if (c == '=')
                state = AfterEquals;
            ++p;
        } else if (c == '"' || c == '\'') {
            const char* valueStart = p + 1;
            const char* close = std::strchr(valueStart, c);
            const char* valueEnd = close ? close : valueStart + std::strlen(valueStart);
            AddAttr(std::string_view(nameStart, static_cast<std::size_t>(nameEnd - nameStart)),
                    std::string_view(valueStart, static_cast<std::size_t>(valueEnd - valueStart)), vtNormal);
            p = close ? close + 1 : valueEnd;
            state = ExpectName;
        } else {
            ++p;
        }
    }
    Final = p;
}
