#pragma once

// Windows only: libxml2 built without iconv knows UTF-8, UTF-16 and ISO-8859-x. This
// adds the Windows single-byte code pages (windows-1250 to windows-1258, also named
// cp1250 ...) for reading, converted by the system. Safe to call more than once.
void RegisterWindowsCodePages();
