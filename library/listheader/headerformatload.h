#pragma once

#include <string>
#include <string_view>

class TListHeaderFormat;

// The two resource layouts of a header format, read into a format (TListHeaderFormat::Load
// picks the resources). Both start from empty columns and leave Count, Columns and Order
// consistent, with Rows between 1 and 2.

// The "XMLTITLE" layout: the first "Title" element of the document. False when the
// document breaks off with a malformed attribute (the format is then half read and the
// caller empties it); a document without "Title" or without its end tag gives no columns.
bool ReadXmlTitle(TListHeaderFormat& format, const std::string& xml);

// The line-oriented "TITLE" layout, Windows-1252 text. Reading ends early, with the
// columns complete so far, where the text runs out.
void ReadTextTitle(TListHeaderFormat& format, std::string_view text);
