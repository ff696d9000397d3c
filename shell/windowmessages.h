#pragma once

// The window's and the command drivers' own texts, in one place for a translation.
// The menus and dialogs keep theirs in their .ui forms.
namespace WindowMsg {

inline constexpr char NoWorkbook[] = "Nincs excel fájl megnyitva, vagy az excel nem fogadóképes!";
inline constexpr char DataFolderMissing[] = "A vezérlőfájlok mappája nem létezik, a parancs nem fut le: ";  // + folder
inline constexpr char EndOfImport[] = "*** End ***";
inline constexpr char XmlFileFilter[] = "XML fájlok (*.xml);;Minden fájl (*.*)";
inline constexpr char UnknownError[] = "Ismeretlen hiba";
inline constexpr char StillRunning[] = "A parancs még fut. Megszakítja?";
inline constexpr char HelpNotOpened[] = "A súgó nem nyitható meg: ";  // + path of the guide

}  // namespace WindowMsg
