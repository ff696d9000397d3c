#pragma once

// The engine's own texts that a user reads (common/, host/, export/ and import/; the
// command line and the window keep theirs beside them in shell/). A translation
// replaces this file. A text that ends in a space, ": " or a quote is followed by a
// name or a value; the comment shows the whole message.
namespace Msg {

inline constexpr char CommandCancelled[] = "A parancs megszakítva.";  // the user stopped the command

// --- Files ------------------------------------------------------------------------
inline constexpr char FileNotReadable[] = "A fájl nem olvasható: ";  // + path
// "A fájl nem írható: path (reason)"
inline constexpr char FileNotWritable[] = "A fájl nem írható: ";
inline constexpr char TooManyLinks[] = " (túl sok szimbolikus link egymás után)";
inline constexpr char NoFileName[] = "nincs fájlnév";
inline constexpr char NoSuchFolder[] = "a mappa nem létezik: ";  // + folder
inline constexpr char FolderOfThatName[] = "ezen a néven mappa van";
inline constexpr char FileReadOnly[] = "A fájl írásvédett, Korvex nem írja felül: ";  // + path
inline constexpr char TempFileNotCreated[] = "az ideiglenes fájl nem hozható létre: ";  // + reason
inline constexpr char TempFileNotOpened[] = "az ideiglenes fájl nem nyitható meg";
inline constexpr char WriteFailed[] = "írási hiba";
inline constexpr char PermissionsNotSet[] = "a jogosultságok nem állíthatók be: ";  // + reason

// --- XML documents --------------------------------------------------------------
// "Érvénytelen elem név: "name"", "Érvénytelen attribútum név: "name""
inline constexpr char InvalidName[] = "Érvénytelen ";
inline constexpr char InvalidNameTail[] = " név: \"";
inline constexpr char ElementKind[] = "elem";
inline constexpr char AttributeKind[] = "attribútum";
inline constexpr char TooDeep[] = "túl mélyen egymásba ágyazott elemek (legfeljebb 256 szint)";
inline constexpr char AttributeTooLong[] = "túl hosszú attribútumérték (legfeljebb 10 000 000 bájt)";
inline constexpr char TextTooLong[] = "túl hosszú szöveg (legfeljebb 10 000 000 bájt)";
inline constexpr char NameTooLong[] = "túl hosszú név (legfeljebb 50 000 karakter)";
inline constexpr char ValueTooLong[] = "túl hosszú elem vagy érték (legfeljebb 10 000 000 bájt)";
// "Hibás XML fájl: name, 3. sor: reason"
inline constexpr char MalformedXml[] = "Hibás XML fájl: ";
inline constexpr char LineSuffix[] = ". sor";  // after a line number
inline constexpr char XmlNotFound[] = "Az XML fájl nem található: ";  // + path
inline constexpr char XmlNotReadable[] = "Az XML fájl nem olvasható: ";  // + path
inline constexpr char DocumentNotActive[] = "Az XML dokumentum nem aktív";
inline constexpr char NoRootElement[] = ": nincs gyökérelem";  // after "Hibás XML fájl: name"
inline constexpr char NoParent[] = "Nincs szülő elem";
inline constexpr char NoElement[] = "Nincs elem";
// "Hibás XML fájl: file, 3. sor: a(z) "name" attribútum értéke az entitások kifejtése után túl hosszú"
inline constexpr char LineItem[] = ". sor: a(z) \"";
inline constexpr char ExpandedAttributeTooLong[] = "\" attribútum értéke az entitások kifejtése után túl hosszú";
inline constexpr char ExpandedTextTooLong[] = "\" elem szövege az entitások kifejtése után túl hosszú";
inline constexpr char NotWellFormed[] = "nem jól formált XML";
inline constexpr char DocumentNotWritable[] = "Az XML dokumentum nem írható ki";

// --- Worksheets (host) ------------------------------------------------------------
inline constexpr char CellError[] = "Hibás cella!";  // the caption of a cell name that denotes no cell
inline constexpr char NoColumnLetters[] = "hiányzik az oszlop betűjele";
inline constexpr char NumberNotWritable[] = "a cellában olyan szám van, amely nem írható le szövegként";
inline constexpr char ErrorValue[] = "a cellában hibaérték van";
inline constexpr char NoConnection[] = "nincs kapcsolat a táblázatkezelővel";
// "a munkalap nem érhető el: workbook, 2. munkalap"
inline constexpr char SheetUnavailable[] = "a munkalap nem érhető el: ";
inline constexpr char SheetSuffix[] = ". munkalap";
inline constexpr char NoSuchCell[] = "nincs ilyen cella";
inline constexpr char SheetGone[] =  // + workbook + " " + sheet
    "A munkalap már nem érhető el (a munkafüzetet bezárták, vagy a táblázatkezelő leállt): ";
// after SheetGone: ", a(z) B7 cella olvasása közben"
inline constexpr char WhileReadingCellStart[] = ", a(z) ";
inline constexpr char WhileReadingCell[] = " cella olvasása közben";
inline constexpr char NoOpenSheet[] = "nincs megnyitott munkalap";
inline constexpr char CellOutsideSheet[] = "a cella helye kívül esik a munkalapon";
inline constexpr char ValuesDoNotFit[] = " érték nem illik a tartományába";  // after a count
inline constexpr char WrongBlockSize[] = "a táblázatkezelő rossz méretű cellatömböt adott";

// --- LibreOffice: the office process and session (host/libreoffice) ----------
inline constexpr char OfficeProfileNotWritable[] = "A LibreOffice profilja nem írható: ";
inline constexpr char OfficeNotInstalled[] =
    "A LibreOffice (soffice) nincs telepítve, vagy a KORVEX_SOFFICE rossz programot ad meg";
inline constexpr char OfficeTempFolder[] = "Nem hozható létre ideiglenes mappa a LibreOffice-nak: ";
inline constexpr char OfficeNotStarted[] = "A LibreOffice nem indítható: ";
inline constexpr char OfficeDiedBeforeConnect[] = "A LibreOffice leállt, mielőtt fogadta volna a kapcsolatot:\n";
inline constexpr char OfficeStartCancelled[] = "A LibreOffice indítása megszakítva";
// "A LibreOffice 180 másodperc alatt sem fogadta a kapcsolatot (reason)"
inline constexpr char OfficeTimeoutStart[] = "A LibreOffice ";
inline constexpr char OfficeTimeout[] = " másodperc alatt sem fogadta a kapcsolatot (";
inline constexpr char OfficeStopped[] = "A LibreOffice már leállt";
inline constexpr char UnknownWorkbookFormat[] = "Ismeretlen munkafüzet-formátum: ";
inline constexpr char WorkbookNotSaved[] = "A munkafüzet nem menthető: ";
inline constexpr char FileNotFound[] = "A fájl nem található: ";
inline constexpr char FileAlreadyOpen[] = "A fájl már meg van nyitva: ";
inline constexpr char OfficeStoppedFileNotOpened[] = "A LibreOffice már leállt, a fájl nem nyitható meg: ";
inline constexpr char FileNotOpened[] = "A fájl nem nyitható meg: ";
inline constexpr char FileNotWorkbook[] = "A fájl nem munkafüzet: ";
inline constexpr char OfficeUnreachable[] = "A LibreOffice nem érhető el (";
// "Nincs 3. munkafüzet"
inline constexpr char NoWorkbookAt[] = "Nincs ";
inline constexpr char WorkbookAtSuffix[] = ". munkafüzet";
inline constexpr char WorkbookHasNoFile[] = "A munkafüzetnek nincs fájlja, nem menthető: ";
inline constexpr char TwoWorkbooksOneFile[] = "Két munkafüzet ugyanabba a fájlba kerülne: ";
inline constexpr char WorkbooksNotReadable[] = "A munkafüzetek nem olvashatók: ";
inline constexpr char WorkbookNoLongerOpen[] = "A munkafüzet már nincs megnyitva: ";
inline constexpr char NoFileUrl[] = "Nem képezhető fájl-URL: ";
inline constexpr char OfficeLibrariesNotStarted[] = "a LibreOffice programkönyvtárai nem indíthatók: ";
inline constexpr char MalformedConnection[] = "hibás LibreOffice-kapcsolat: ";
inline constexpr char NoOfficeOnConnection[] = "nem válaszol LibreOffice ezen a kapcsolaton: ";
inline constexpr char NoDesktop[] = "a LibreOffice asztala nem érhető el: ";
// "A fájl már létezik, Korvex nem írja felül (--force: mégis): path (munkafüzet: name)"
inline constexpr char TargetExists[] = "A fájl már létezik, Korvex nem írja felül (--force: mégis): ";
inline constexpr char OfWorkbook[] = " (munkafüzet: ";
// "A fájlt más is megnyitotta (.~lock.name#), Korvex nem menti (--force: mégis): path"
inline constexpr char OpenedElsewhere[] = "A fájlt más is megnyitotta (";
inline constexpr char OpenedElsewhereEnd[] = "), Korvex nem menti (--force: mégis): ";

// --- LibreOffice: cells and sheets (host/libreoffice/unohost) ----------------
// After what was being done:
inline constexpr char NoLongerOpenInOffice[] =
    ": a LibreOffice már nem tartja nyitva (a munkafüzetet bezárták, vagy a LibreOffice leállt)";
inline constexpr char PlaceOutsideSheet[] = ": a hely kívül esik a munkalapon";
inline constexpr char WorkbookClosed[] = "a munkafüzetet bezárták";
inline constexpr char ReadingSheetName[] = "a munkalap nevének olvasása";
// What was being done, as in "cella olvasása (3. sor, 2. oszlop): reason"
inline constexpr char ReadingCell[] = "cella olvasása";
inline constexpr char WritingCell[] = "cella írása";
inline constexpr char FindingUsedCells[] = "a használt cellák keresése";
inline constexpr char ReadingCells[] = "cellák olvasása";
// "a LibreOffice 3 sort adott", "a LibreOffice 3 cellából álló sort adott"
inline constexpr char OfficeRowStart[] = "a LibreOffice ";
inline constexpr char OfficeRows[] = " sort adott";
inline constexpr char OfficeRowLength[] = " cellából álló sort adott";
inline constexpr char BlockOnlyNumbersAndTexts[] = "tömbösen csak szám és szöveg írható";
inline constexpr char WritingCells[] = "cellák írása";
inline constexpr char InspectingCells[] = "cellák vizsgálata";
inline constexpr char NoSuchRange[] = "nincs ilyen tartomány";
inline constexpr char UnknownCellType[] = "a cella tartalmának típusa ismeretlen";
inline constexpr char NoTextOfTextCell[] = "a LibreOffice nem adta meg a szöveges cella szövegét";
inline constexpr char ErrorValueNotWritable[] = "hibaérték nem írható";
inline constexpr char ListingWorkbooks[] = "a munkafüzetek listázása";
inline constexpr char ReadingName[] = "a név olvasása";
inline constexpr char CountingSheets[] = "a munkalapok megszámolása";
// "a(z) 2. munkalap megnyitása (1. munkafüzet)"
inline constexpr char SheetOpeningStart[] = "a(z) ";
inline constexpr char SheetOpening[] = ". munkalap megnyitása";
// "a munkafüzetnek nincs 2. munkalapja"
inline constexpr char WorkbookHasNoSheetStart[] = "a munkafüzetnek nincs ";
inline constexpr char WorkbookHasNoSheet[] = ". munkalapja";
inline constexpr char WorkbookInParens[] = ". munkafüzet)";
// "nincs 3. megnyitott munkafüzet"
inline constexpr char NoOpenWorkbookStart[] = "nincs ";
inline constexpr char NoOpenWorkbook[] = ". megnyitott munkafüzet";
// "(3. sor, 2. oszlop)"
inline constexpr char RowComma[] = ". sor, ";
inline constexpr char ColumnParen[] = ". oszlop)";

// --- Excel (host/excel) -------------------------------------------------------------
inline constexpr char ExcelTextNoMemory[] = "elfogyott a memória egy automatizálási szöveghez";
inline constexpr char ExcelValueNotCopied[] = "egy automatizálási érték nem másolható";
inline constexpr char ExcelNoObject[] = "az Excel nem adott objektumot: ";  // + member
inline constexpr char ExcelNoObjectAtAll[] = "nincs Excel-objektum";
inline constexpr char ExcelNoMember[] = "az Excelnek nincs ilyen tagja: ";  // + member + " (" + reason + ")"
inline constexpr char ExcelRefused[] = "az Excel elutasította: ";  // + member + " (" + reason + ")"
inline constexpr char ExcelNoNumber[] = "az Excel nem adott számot: ";  // + what was asked
inline constexpr char ExcelNoText[] = "az Excel nem adott szöveget: ";  // + what was asked
inline constexpr char ExcelUnknownValue[] = "az Excel ismeretlen fajtájú cellaértéket adott (";  // + type + ")"
// + range address:
inline constexpr char ExcelSingleValue[] = "az Excel egyetlen értéket adott a tartományra: ";
inline constexpr char ExcelNoTable[] = "az Excel nem adott értéktáblát a tartományra: ";
inline constexpr char ExcelTableSize[] = "az Excel más méretű értéktáblát adott a tartományra: ";
inline constexpr char RangeValueNotReadable[] = "a tartomány egy értéke nem olvasható: ";  // + " (" + reason + ")"
// "elfogyott a memória egy 1000 értékből álló táblához"
inline constexpr char TableNoMemory[] = "elfogyott a memória egy ";
inline constexpr char TableNoMemoryEnd[] = " értékből álló táblához";
inline constexpr char TableNotCreated[] = "az értéktábla nem hozható létre (";  // + reason + ")"
inline constexpr char ColumnSuffix[] = ". oszlop";  // "nincs ilyen cella: 3. sor, 2. oszlop"
inline constexpr char ExcelUnreachable[] = "Az Excel nem érhető el";
inline constexpr char ExcelNotInstalled[] = "Az Excel nincs telepítve (";  // + reason + ")"
inline constexpr char ExcelNotStarted[] = "Az Excel nem indítható el (";   // + reason + ")"

// --- Export -----------------------------------------------------------------------
inline constexpr char VersionMismatch[] = "Eltérő verziójú vezérlőfájl!";
inline constexpr char EncodingNotInteger[] = "A kódolás (A3) nem egész szám: \"";  // + text + "\""
// "a(z) [name] állandó szöveg (CONSTANTTEXT) túl sokszor vagy túl hosszan szerepel"
inline constexpr char ConstantTextName[] = "a(z) [";
inline constexpr char ConstantTextTooLong[] = "] állandó szöveg (CONSTANTTEXT) túl sokszor vagy túl hosszan szerepel";
inline constexpr char MalformedIndent[] = "Hibás behúzás a FORMAT szakaszban: ";  // + tag=value
// "a(z) "tag" elem [FORMAT] bejegyzése (indent) túl sok tabulátort szúrna be"
inline constexpr char FormatEntryName[] = "a(z) \"";
inline constexpr char FormatEntry[] = "\" elem [FORMAT] bejegyzése (";
inline constexpr char TooManyTabs[] = ") túl sok tabulátort szúrna be";
// "A kimeneti szöveg túl hosszú lenne (n MiB, legfeljebb m MiB): cause"
inline constexpr char OutputTooLong[] = "A kimeneti szöveg túl hosszú lenne (";
inline constexpr char OutputLimit[] = " MiB, legfeljebb ";
inline constexpr char OutputLimitEnd[] = " MiB): ";

// --- Import -----------------------------------------------------------------------
// "12. sor: a(z) "Attribute" elem (ID="no") reason"
inline constexpr char ItemId[] = "\" elem (ID=\"";
inline constexpr char ColumnEmpty[] = "\"Col\" értéke üres";
inline constexpr char NoColumn[] = "nem ad meg oszlopot (\"Col\")";
// "\"Col\" értéke (\"value\") nem oszlop"
inline constexpr char ColumnValue[] = "\"Col\" értéke (\"";
inline constexpr char NotAColumn[] = "\") nem oszlop";
// "id: nincs "page" lap (A1) a kijelölt munkafüzetekben, az elem kimaradt"
inline constexpr char NoPage[] = ": nincs \"";
inline constexpr char PageSkipped[] = "\" lap (A1) a kijelölt munkafüzetekben, az elem kimaradt";
inline constexpr char MalformedControlFile[] = "Hibás vezérlőfájl: ";  // + path + ", " + reason
// "Az importálás megszakadt: file, 12. sor (element): reason"
inline constexpr char ImportStopped[] = "Az importálás megszakadt: ";
inline constexpr char LineOpen[] = ". sor (";

}  // namespace Msg
