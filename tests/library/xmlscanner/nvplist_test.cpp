#include "library/xmlscanner/nvplist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string Names(const TNvpList& list)
{
    std::string out;
    for (int i = 0; i < list.Count(); ++i)
        out += list.Name(i) + "=" + list.Value(i) + ";";
    return out;
}

TEST(NvpList, KeepsNodesSortedInByteOrder)
{
    TNvpList list;
    for (const char* name : {"b", "a", "B", "\xE9", "ab", "_"})
        list.Add(std::make_unique<TNvpNode>(name, std::string("v") + name));
    EXPECT_EQ(Names(list), "B=vB;_=v_;a=va;ab=vab;b=vb;\xE9=v\xE9;");
}

TEST(NvpList, EqualNamesGoInFrontSoLookupFindsTheLastAdded)
{
    TNvpList list;
    list.Add(std::make_unique<TNvpNode>("k", "first"));
    list.Add(std::make_unique<TNvpNode>("k", "second"));
    list.Add(std::make_unique<TNvpNode>("a", "x"));
    EXPECT_EQ(Names(list), "a=x;k=second;k=first;");
    EXPECT_EQ(list.Value("k"), "second");
}

TEST(NvpList, LookupsByNameAndPosition)
{
    TNvpList list;
    for (const char* name : {"c", "a", "e", "b", "d"})
        list.Add(std::make_unique<TNvpNode>(name, std::string(name) + name));
    struct Case {
        const char* name;
        bool found;
        const char* value;
    };
    const Case cases[] = {
        {"a", true, "aa"}, {"c", true, "cc"}, {"e", true, "ee"}, {"A", false, ""},
        {"", false, ""},   {"f", false, ""},  {"bb", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(list.Node(std::string_view(c.name)) != nullptr, c.found);
        EXPECT_EQ(list.Value(std::string_view(c.name)), c.value);
    }
    EXPECT_EQ(list.Node(-1), nullptr);
    EXPECT_EQ(list.Node(5), nullptr);
    EXPECT_EQ(list.Value(5), "");
    EXPECT_EQ(list.Name(-1), "");
    EXPECT_EQ(list.Name(4), "e");
}

TEST(NvpList, RemoveDetachesOneNode)
{
    TNvpList list;
    list.Add(std::make_unique<TNvpNode>("a", "1"));
    list.Add(std::make_unique<TNvpNode>("b", "2"));
    std::unique_ptr<TNvpNode> removed = list.Remove("a");
    ASSERT_TRUE(removed);
    EXPECT_EQ(removed->Value, "1");
    EXPECT_EQ(list.Remove("a"), nullptr);
    EXPECT_EQ(Names(list), "b=2;");
}

struct AnalyzeCase {
    const char* text;
    const char* attrs;  // name=value; in list order
    const char* stop;   // the text from where Analyze stopped
};

// Positions follow every change, whatever order the names come in: each step's list
// matches a plain model (newest first among equal names).
TEST(NvpList, PositionsFollowAddsAndRemovesInAnyOrder)
{
    TNvpList list;
    std::vector<std::pair<std::string, std::string>> model;  // sorted, newest first among equals
    const auto add = [&](const std::string& name, const std::string& value) {
        list.Add(std::make_unique<TNvpNode>(name, value));
        const auto at = std::lower_bound(model.begin(), model.end(), name,
                                         [](const auto& node, const std::string& n) { return node.first < n; });
        model.insert(at, {name, value});
    };
    const auto expected = [&] {
        std::string out;
        for (const auto& [name, value] : model)
            out += name + "=" + value + ";";
        return out;
    };
    for (int i = 30; i > 0; --i)  // descending, with every third name twice
        for (int copy = 0; copy < (i % 3 == 0 ? 2 : 1); ++copy)
            add(std::string("n").append(std::to_string(100 + i)), std::to_string(copy));
    EXPECT_EQ(Names(list), expected());
    add("a", "front");
    EXPECT_EQ(list.Name(0), "a");  // read right after an add
    EXPECT_EQ(list.Remove("n103")->Value, "1");
    model.erase(std::find(model.begin(), model.end(), std::make_pair(std::string("n103"), std::string("1"))));
    EXPECT_EQ(list.Value("n103"), "0");
    EXPECT_EQ(Names(list), expected());
    EXPECT_EQ(list.Count(), static_cast<int>(model.size()));
    list.Clear();
    EXPECT_EQ(list.Node(0), nullptr);
    EXPECT_EQ(list.Count(), 0);
}

TEST(AttrList, AnalyzeTable)
{
    const AnalyzeCase cases[] = {
        {" b = 'x'  c=\"y\">", "b=x;c=y;", ">"},
        {" b=x>", "", ">"},                        // an unquoted value is lost
        {" b='1' c/>", "b=1;", ">"},               // "/" after a name is passed over
        {" b='1'/>", "b=1;", "/>"},
        {" version=\"1.0\"?>", "version=1.0;", "?>"},
        {" a='x\"y' b=\"p'q\">", "a=x\"y;b=p'q;", ">"},
        {" z='1' a='2' z='3'>", "a=2;z=3;z=1;", ">"},  // repeated names: the last one first
        {" b c d='1'>", "b=1;", ">"},                  // text after a name is passed over
        {" 1a='x'>", "", "1a='x'>"},                   // not a name-start character
        {" \xE9t='v'>", "\xE9t=v;", ">"},
        {" k='open", "k=open;", ""},                   // unclosed value runs to the end
        {" k=", "", ""},
        {"", "", ""},
        {"\t\r\nk\t=\n'v'>", "k=v;", ">"},
    };
    for (const AnalyzeCase& c : cases) {
        SCOPED_TRACE(c.text);
        TAttrList list;
        const char* stop = nullptr;
        list.Analyze(c.text, stop);
        EXPECT_EQ(Names(list), c.attrs);
        EXPECT_STREQ(stop, c.stop);
        for (int i = 0; i < list.Count(); ++i) {
            EXPECT_EQ(list.Attr(i)->ValueType, vtNormal);
            EXPECT_EQ(list.Attr(i)->AttrType, atUnknown);
        }
    }
}

TEST(AttrList, ReusedListStartsEmptyEveryTime)
{
    TAttrList list;
    const char* stop = nullptr;
    list.Analyze(" a='1' b='2'", stop);
    list.Attr("a")->ValueType = vtFixed;
    list.Analyze(" c='3'", stop);
    EXPECT_EQ(Names(list), "c=3;");
    EXPECT_EQ(list.Attr("c")->ValueType, vtNormal);
    EXPECT_EQ(list.Value("a"), "");
    EXPECT_EQ(list.Value("B"), "");
}

} // namespace
