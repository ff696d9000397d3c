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
    for (auto& node : FItems) {
        if (TAttr* attr = node->AsAttr()) {
            node.release();
            FSpare.emplace_back(attr);
        }
    }
    FItems.clear();
}

std::unique_ptr<TAttr> TAttrList::TakeSpare()
{
    if (FSpare.empty())
        return std::make_unique<TAttr>();
    std::unique_ptr<TAttr> attr = std::move(FSpare.back());
    FSpare.pop_back();
    attr->ValueType = vtNormal;
    attr->AttrType = atUnknown;
    return attr;
}

TAttr* TAttrList::AddAttr(std::string_view Name, std::string_view Value, TValueType ValueType)
{
    std::unique_ptr<TAttr> attr = TakeSpare();
    attr->Name.assign(Name);
    attr->Value.assign(Value);
    attr->ValueType = ValueType;
    return static_cast<TAttr*>(Add(std::move(attr)));
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
            std::unique_ptr<TAttr> attr = TakeSpare();
            attr->Name.assign(nameStart, nameEnd);
            attr->Value.assign(valueStart, valueEnd);
            // Appended in document order here and ordered once at the end.
            FItems.push_back(std::move(attr));
            p = close ? close + 1 : valueEnd;
            state = ExpectName;
        } else {
            ++p;
        }
    }
    Final = p;
    // Same order as inserting one by one in front of equal names, without the
    // quadratic cost of inserting into a sorted vector for tags with many attributes.
    if (FItems.size() > 1) {
        std::reverse(FItems.begin(), FItems.end());
        std::stable_sort(FItems.begin(), FItems.end(),
                         [](const std::unique_ptr<TNvpNode>& a, const std::unique_ptr<TNvpNode>& b) {
                             return a->Name < b->Name;
                         });
    }
}
