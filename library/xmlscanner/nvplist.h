#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Character classes of the scanner (8-bit, Windows-1252).
inline bool IsXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

inline bool IsNameStart(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u == ':' || (u >= 'A' && u <= 'Z') || u == '_' || (u >= 'a' && u <= 'z')
        || (u >= 192 && u != 215 && u != 247);
}

// An owning list kept sorted by Name in byte order; lookups bisect. A node is inserted in
// front of the nodes with an equal name, so a lookup finds the one added last.
template <class T>
class TSortedList {
public:
    TSortedList() = default;
    TSortedList(const TSortedList&) = delete;
    TSortedList& operator=(const TSortedList&) = delete;
    virtual ~TSortedList() = default;

    int Count() const { return static_cast<int>(FItems.size()); }

    T* Node(std::string_view Name) const
    {
        const auto it = LowerBound(Name);
        return (it != FItems.end() && (*it)->Name == Name) ? it->get() : nullptr;
    }

    T* Node(int Index) const
    {
        return (Index >= 0 && Index < Count()) ? FItems[static_cast<std::size_t>(Index)].get()
                                               : nullptr;
    }

    // Takes the node over and answers it; a null node is ignored.
    T* Add(std::unique_ptr<T> Node)
    {
        if (!Node)
            return nullptr;
        T* added = Node.get();
        FItems.insert(LowerBound(Node->Name), std::move(Node));
        return added;
    }

    // Detaches the node found by Name (null if there is none).
    std::unique_ptr<T> Remove(std::string_view Name)
    {
        const auto found = LowerBound(Name);
        if (found == FItems.end() || (*found)->Name != Name)
            return nullptr;
        const auto it = FItems.begin() + (found - FItems.cbegin());
        std::unique_ptr<T> node = std::move(*it);
        FItems.erase(it);
        return node;
    }

    virtual void Clear() { FItems.clear(); }

protected:
    using Items = std::vector<std::unique_ptr<T>>;

    typename Items::const_iterator LowerBound(std::string_view Name) const
    {
        return std::lower_bound(FItems.begin(), FItems.end(), Name,
                                [](const std::unique_ptr<T>& node, std::string_view name) {
                                    return std::string_view(node->Name) < name;
                                });
    }

    Items FItems;
};

class TAttr;

// A name-value pair.
class TNvpNode {
public:
    explicit TNvpNode(std::string TheName = {}, std::string TheValue = {})
        : Name(std::move(TheName)), Value(std::move(TheValue)) {}
    virtual ~TNvpNode() = default;

    // The node as an attribute, or null; cheaper than a dynamic_cast on every tag.
    virtual TAttr* AsAttr() { return nullptr; }

    std::string Name;
    std::string Value;
};

// Name-value pairs sorted by name.
class TNvpList : public TSortedList<TNvpNode> {
public:
    using TSortedList<TNvpNode>::Node;

    // The value of the node found by Name, or "" when there is none.
    std::string Value(std::string_view Name) const;
    // The value or name at a position, or "" outside the list.
    std::string Value(int Index) const;
    std::string Name(int Index) const;
};

enum TValueType { vtNormal, vtImplied, vtFixed, vtDefault };

enum TAttrType {
    atUnknown, atCData, atID, atIdRef, atIdRefs, atEntity, atEntities,
    atNmToken, atNmTokens, atNotation, atEnumeration
};

// One attribute of a tag; declarations of the document type may give it a type and a
// kind of value.
class TAttr : public TNvpNode {
public:
    using TNvpNode::TNvpNode;

    TAttr* AsAttr() override { return this; }

    TValueType ValueType = vtNormal;
    TAttrType AttrType = atUnknown;
};

// The attributes of the current part. Emptying the list keeps the nodes for reuse, so
// scanning a long document does not allocate for every tag.
class TAttrList : public TNvpList {
public:
    TAttr* Attr(std::string_view Name) const { return AsAttr(Node(Name)); }
    TAttr* Attr(int Index) const { return AsAttr(Node(Index)); }

    // Adds an attribute at its sorted place.
    TAttr* AddAttr(std::string_view Name, std::string_view Value, TValueType ValueType);

    // Reads name="value" and name='value' pairs from Start. Stops at ">", at the end of
    // the text or at a character that cannot begin a name where a name is expected;
    // Final is left there. Unquoted values are lost.
    void Analyze(const char* Start, const char*& Final);

    void Clear() override;

private:
    static TAttr* AsAttr(TNvpNode* node) { return node ? node->AsAttr() : nullptr; }
    std::unique_ptr<TAttr> TakeSpare();

    std::vector<std::unique_ptr<TAttr>> FSpare;
};
