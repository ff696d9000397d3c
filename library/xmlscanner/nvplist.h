#pragma once

#include <algorithm>
#include <memory>
#include <set>
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
// The nodes live in a balanced tree, so adding, finding and removing cost log n whatever
// the order of the names (a sorted array pays a shift of the whole list for a name that
// sorts first). Positions are served by an array of the nodes in order, rebuilt on the
// first positional read after a change.
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
        const auto it = FItems.lower_bound(Name);
        return (it != FItems.end() && (*it)->Name == Name) ? it->get() : nullptr;
    }

    T* Node(int Index) const
    {
        return (Index >= 0 && Index < Count()) ? Ordered()[static_cast<std::size_t>(Index)] : nullptr;
    }

    // Takes the node over and answers it; a null node is ignored.
    T* Add(std::unique_ptr<T> Node)
    {
        if (!Node)
            return nullptr;
        T* added = Node.get();
        const auto before = FItems.lower_bound(std::string_view(Node->Name));
        FItems.insert(before, std::move(Node));
        FOrderStale = true;
        return added;
    }

    // Detaches the node found by Name (null if there is none).
    std::unique_ptr<T> Remove(std::string_view Name)
    {
        const auto found = FItems.lower_bound(Name);
        if (found == FItems.end() || (*found)->Name != Name)
            return nullptr;
        FOrderStale = true;
        return std::move(FItems.extract(found).value());
    }

    virtual void Clear()
    {
        FItems.clear();
        FOrderStale = true;
    }

protected:
    struct ByName {
        using is_transparent = void;
        bool operator()(const std::unique_ptr<T>& a, const std::unique_ptr<T>& b) const { return a->Name < b->Name; }
        bool operator()(const std::unique_ptr<T>& a, std::string_view b) const { return std::string_view(a->Name) < b; }
        bool operator()(std::string_view a, const std::unique_ptr<T>& b) const { return a < std::string_view(b->Name); }
    };
    using Items = std::multiset<std::unique_ptr<T>, ByName>;

    // Inserts a detached tree node in front of the nodes with an equal name; reusing
    // detached nodes spares an allocation per node for lists that are refilled often.
    void Insert(typename Items::node_type Node)
    {
        const auto before = FItems.lower_bound(std::string_view(Node.value()->Name));
        FItems.insert(before, std::move(Node));
        FOrderStale = true;
    }

    Items FItems;

private:
    const std::vector<T*>& Ordered() const
    {
        if (FOrderStale) {
            FOrder.clear();
            for (const auto& node : FItems)
                FOrder.push_back(node.get());
            FOrderStale = false;
        }
        return FOrder;
    }

    mutable std::vector<T*> FOrder;
    mutable bool FOrderStale = false;
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
    // A detached tree node holding a reset attribute, reused when there is one.
    Items::node_type TakeSpare();

    std::vector<Items::node_type> FSpare;
};
