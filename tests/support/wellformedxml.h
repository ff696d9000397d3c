#pragma once

// Every XML file the export writes in the tests is parsed here with libxml2, on its own
// (not through the program's document class): a file that is not well-formed is a
// fault, whatever the test around it checks.

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace testxml {

// Why the file is not a well-formed XML document; "" when it is.
inline std::string WellFormednessProblem(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return "cannot be read";
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string problem;
    xmlSetStructuredErrorFunc(&problem, [](void* sink, xmlErrorPtr error) {
        auto* text = static_cast<std::string*>(sink);
        if (error && error->level >= XML_ERR_ERROR && text->empty())
            *text = "line " + std::to_string(error->line) + ": " + (error->message ? error->message : "");
    });
    xmlDoc* doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "written", nullptr,
                                XML_PARSE_NONET | XML_PARSE_HUGE);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (!doc && problem.empty())
        problem = "not parsed";
    if (doc && !xmlDocGetRootElement(doc))
        problem = "no root element";
    xmlFreeDoc(doc);
    return problem;
}

// A malformed output ends the test program at once, loudly: no test may pass with one.
inline void RequireWellFormed(const std::filesystem::path& file)
{
    std::string problem = WellFormednessProblem(file);
    if (problem.empty())
        return;
    std::fprintf(stderr, "FATAL: the export wrote a file that is not well-formed XML: %s (%s)\n",
                 file.string().c_str(), problem.c_str());
    std::abort();
}

}  // namespace testxml
