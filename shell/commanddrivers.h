#pragma once

#include "host/excelsheet.h"
#include "common/frontend.h"

// The two menu commands, step by step, independent of any window: the main window and
// the command line both run these.

// "Excel->XML": lists the open workbooks, lets the user tick some and converts each
// ticked one into its XML file. A failing workbook ends the loop; earlier files stay.
void RunExcelToXML(Frontend& ui, const HostConnector& connect);

// "XML->Excel": asks for data files, reads the import control file, maps the ticked
// workbooks' pages and transfers every file. A failure of the control file or of a
// transfer is passed on to the caller (which reports it); cells written stay.
void RunXMLToExcel(Frontend& ui, const HostConnector& connect);

extern const char* const NoWorkbookMessage;  // "Nincs excel fájl megnyitva, ..."
extern const char* const EndOfImportLine;    // "*** End ***"
// Followed by the folder: the data folder does not exist (both commands stop).
extern const char* const DataFolderMissingMessage;
