#pragma once

#include "export/excelcolitem.h"
#include "export/outputwriter.h"
#include "host/excelsheet.h"
#include "export/formatitem.h"
#include "common/frontend.h"
#include "export/schemacheck.h"

#include <string>
#include <vector>

class TXMLToExcelControl;

// Converts one open workbook into one XML file. Sheet 1 names the root element (A1),
// the proposed output file (A2) and the encoding (A3: 0 = UTF-8, else ISO-8859-2);
// every further sheet names its control file (A1) and version (B1) and holds data
// rows from row 5 down.
class TExcelToXML {
public:
    explicit TExcelToXML(Frontend& ui) : ui_(ui) {}

    // Builds the document, writes the file and shows the text in the log. Failures
    // (a bad A3, a name the document refuses, an unreadable cell, an unwritable
    // file) are passed on; nothing is written then.
    void Convert(TExcelApp& app, const std::string& workbookName, int workbookIndex);
    // Gives the import's DB items their target worksheets from this workbook's pages.
    void ReadImportMapping(TExcelApp& app, const std::string& workbookName, int workbookIndex,
                           TXMLToExcelControl& control);

    // Loads a control file: 0 when it was read and accepted, 1 when not (a version
    // other than version has been reported; an unreadable file or a malformed [FORMAT]
    // entry is silent). Anything else, a fault of the program, passes through.
    int ReadControlFile(const std::string& fileName, const std::string& version);
    // Replaces every <CONSTANTTEXT>name</CONSTANTTEXT> by the lines of section name
    // of the control file read last.
    std::string ExpandConstantText(std::string text) const;

    std::string ControlFileName;
    std::string RootName;
    std::string FileName;
    int Encoding = 0;
    std::vector<TExcelColItem> Columns;
    std::vector<TFormatItem> Formats;
    // MAIN/SCHEMA of the control file read last: the schema the output must follow,
    // a file inside the data folder; empty when the file names none.
    std::string ControlSchema;
    // The schema of this workbook: the first one its control files name.
    std::string SchemaName;

private:
    // The origins of the output's elements while a schema is to be followed, with the
    // text as built where constant texts changed its elements.
    struct BuiltOutput {
        std::string text;
        std::vector<const TOutputOrigin*> origins;
    };
    void ScanRows(TExcelSheet& sheet, TOutputWriter& output);
    // Lays out the output's text, asks for the file name, writes the file and returns
    // the text.
    std::string WriteXML(TOutputWriter& output);
    void TakeSchema(const std::string& name);
    std::string SchemaPath() const;
    // False when the output breaks its schema and is not to be saved.
    bool OutputAccepted(const std::string& text, std::string_view bytes, const BuiltOutput& built);

    TOutputOrigins origins_;
    // Whether an element may be a constant text's marker: one of its name was begun.
    bool constantTextsNamed_ = false;
    bool logShown_ = false;

    Frontend& ui_;
};

extern const char* const VersionMismatchMessage;  // "Eltérő verziójú vezérlőfájl!"
