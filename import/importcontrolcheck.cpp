#include "import/importcontrolcheck.h"

#include "common/messages.h"
#include "common/xmlerrorredirect.h"
#include "common/xmlschema.h"
#include "import/xmltoexcelcontrol.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace {

std::string Name(const xmlNode* node)
{
    return node->name ? reinterpret_cast<const char*>(node->name) : "";
}

int Line(const xmlNode* node)
{
    return static_cast<int>(xmlGetLineNo(node));
}

std::string AttributeName(const xmlAttr* attribute)
{
    std::string name = attribute->name ? reinterpret_cast<const char*>(attribute->name) : "";
    if (attribute->ns && attribute->ns->prefix)
        name = reinterpret_cast<const char*>(attribute->ns->prefix) + (":" + name);
    return name;
}

std::optional<std::string> Value(const xmlNode* element, const char* name)
{
    for (const xmlAttr* attribute = element->properties; attribute; attribute = attribute->next) {
        if (AttributeName(attribute) != name)
            continue;
        xmlChar* text = xmlNodeListGetString(element->doc, attribute->children, 1);
        std::string value = text ? reinterpret_cast<const char*>(text) : "";
        xmlFree(text);
        return value;
    }
    return std::nullopt;
}

class Checker {
public:
    explicit Checker(const std::string& dataFolder) : dataFolder_(dataFolder) {}

    std::vector<TCheckFinding> Run(const xmlNode* root)
    {
        CheckRoot(root);
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const TCheckFinding& a, const TCheckFinding& b) { return a.line < b.line; });
        return std::move(findings_);
    }

private:
    void Add(const xmlNode* node, std::string message, bool note = false)
    {
        findings_.push_back({Line(node), std::move(message), note});
    }

    void CheckAttributes(const xmlNode* element, std::initializer_list<const char*> known)
    {
        for (const xmlAttr* attribute = element->properties; attribute; attribute = attribute->next) {
            std::string name = AttributeName(attribute);
            if (std::none_of(known.begin(), known.end(), [&](const char* k) { return name == k; }))
                Add(element, Msg::CheckUnknownAttribute + Name(element) + Msg::CheckOnElement + name + Msg::CheckCaseCounts);
        }
    }

    void CheckColumn(const xmlNode* element)
    {
        std::optional<std::string> col = Value(element, "Col");
        if (!col)
            return;
        bool letters = !col->empty() && col->size() <= 2 &&
                       std::all_of(col->begin(), col->end(), [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
        if (!letters)
            Add(element, Msg::CheckColNotColumn + *col + "\"");
    }

    void CheckRoot(const xmlNode* root)
    {
        for (const xmlAttr* attribute = root->properties; attribute; attribute = attribute->next) {
            std::string name = AttributeName(attribute);
            if (name != DataSchemaAttribute && !name.starts_with("xmlns") && !name.starts_with("xsi:"))
                Add(root, Msg::CheckUnknownRootAttribute + name + Msg::CheckOnly + DataSchemaAttribute + ")");
        }
        if (std::optional<std::string> schema = Value(root, DataSchemaAttribute); schema && !schema->empty()) {
            try {
                TXmlSchema loaded(ResolveSchemaPath(dataFolder_, *schema));
            } catch (const std::exception& error) {
                Add(root, error.what());
            }
        }
        std::map<std::string, int> ids;
        for (const xmlNode* child = root->children; child; child = child->next) {
            if (child->type != XML_ELEMENT_NODE)
                continue;
            if (Name(child) != "DBItem") {
                Add(child, Msg::CheckUnknownElement + Name(child) + Msg::CheckOnlyDBItem);
                continue;
            }
            CheckAttributes(child, {"ID", "Page"});
            std::optional<std::string> id = Value(child, "ID");
            if (!id)
                Add(child, Msg::CheckDBItemNoId);
            else
                Repeated(child, *id, ids, "DBItem");
            if (!Value(child, "Page"))
                Add(child, Msg::CheckDBItemNoPage);
            CheckChildren(child);
        }
    }

    void Repeated(const xmlNode* element, const std::string& key, std::map<std::string, int>& seen, const char* what)
    {
        auto [first, added] = seen.try_emplace(key, Line(element));
        if (!added)
            Add(element, std::string(Msg::CheckRepeated) + what + Msg::CheckRepeatedId + key.substr(0, key.find('\n')) +
                             Msg::CheckRepeatedFirst + std::to_string(first->second) + Msg::CheckRepeatedEnd);
    }

    void CheckChildren(const xmlNode* parent)
    {
        std::map<std::string, int> subIds;
        std::map<std::string, int> attributeIds;
        for (const xmlNode* child = parent->children; child; child = child->next) {
            if (child->type != XML_ELEMENT_NODE)
                continue;
            std::string name = Name(child);
            if (name == "Attribute") {
                CheckAttributes(child, {"ID", "Col"});
                if (!Value(child, "Col"))
                    Add(child, Msg::CheckAttributeNoCol);
                CheckColumn(child);
                if (std::optional<std::string> id = Value(child, "ID"))
                    Repeated(child, *id, attributeIds, "Attribute");
                for (const xmlNode* inner = child->children; inner; inner = inner->next)
                    if (inner->type == XML_ELEMENT_NODE)
                        Add(inner, Msg::CheckAttributeInside + Name(inner));
            } else if (name == "SubItem") {
                CheckAttributes(child, {"ID", "Col", "NewRow", "Echo", "AttrID", "AttrValue", "ColIncrement"});
                CheckColumn(child);
                if (Value(child, "AttrValue") && !Value(child, "AttrID"))
                    Add(child, Msg::CheckAttrValueAlone, true);
                // Sub items with the same name and condition take the same elements,
                // so each is written twice.
                if (std::optional<std::string> id = Value(child, "ID"))
                    Repeated(child, *id + '\n' + Value(child, "AttrID").value_or("") + '\n' +
                                        Value(child, "AttrValue").value_or(""),
                             subIds, "SubItem");
                CheckChildren(child);
            } else {
                Add(child, Msg::CheckUnknownElement + name + Msg::CheckOnlyAttributeSubItem);
            }
        }
    }

    std::string dataFolder_;
    std::vector<TCheckFinding> findings_;
};

// The first error of a parse, with its line.
struct FirstError {
    int line = 0;
    std::string message;
    static void Collect(void* self, xmlErrorPtr error)
    {
        auto* first = static_cast<FirstError*>(self);
        if (!error || error->level < XML_ERR_ERROR || !first->message.empty())
            return;
        first->line = error->line;
        first->message = error->message ? error->message : "";
        while (!first->message.empty() && (first->message.back() == '\n' || first->message.back() == ' '))
            first->message.pop_back();
    }
};

}  // namespace

std::vector<TCheckFinding> CheckImportControl(const std::string& path, const std::string& dataFolder)
{
    FirstError first;
    std::unique_ptr<xmlDoc, void (*)(xmlDoc*)> doc(nullptr, xmlFreeDoc);
    {
        XmlErrorRedirect redirect(&first, &FirstError::Collect);
        doc.reset(xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET));
    }
    if (!doc || !xmlDocGetRootElement(doc.get()))
        return {{first.line > 0 ? first.line : 1,
                 Msg::CheckNotWellFormed + (first.message.empty() ? std::string() : ": " + first.message)}};
    return Checker(dataFolder).Run(xmlDocGetRootElement(doc.get()));
}
