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
// Why a file is not well-formed XML, from libxml2's error code:
inline constexpr char ParseNoRoot[] = "nincs gyökérelem (a fájl üres, vagy nem '<' jellel kezdődik)";
inline constexpr char ParseContentAfterRoot[] = "a gyökérelem után további tartalom áll";
inline constexpr char LineSuffixParen[] = ". sor)";  // "<a> elem (3. sor)"
// "a(z) <a> elem (3. sor) záró címkéje helyett </b> áll"
inline constexpr char ParseElementStart[] = "a(z) <";
inline constexpr char ParseElement[] = "> elem";
inline constexpr char ParseMismatch[] = " záró címkéje helyett </";
inline constexpr char ParseMismatchEnd[] = "> áll";
// "a fájl véget ér, mielőtt a(z) <a> elem (3. sor) lezárulna"
inline constexpr char ParseEndsBefore[] = "a fájl véget ér, mielőtt a(z) <";
inline constexpr char ParseNotClosedEnd[] = " lezárulna";
inline constexpr char ParseNoGt[] = "hiányzik a '>' jel";
inline constexpr char ParseNoEndTag[] = "hiányzik a záró címke ('</')";
inline constexpr char ParseNoEquals[] = "hiányzik az '=' jel az attribútum neve után";
inline constexpr char ParseNoQuote[] = "az attribútum értéke nem idézőjellel kezdődik";
inline constexpr char ParseOpenQuote[] = "lezáratlan idézőjel";
// "a(z) x attribútumnak nincs értéke", "a(z) x attribútum kétszer szerepel"
inline constexpr char ParseThe[] = "a(z) ";
inline constexpr char ParseAttributeNoValue[] = " attribútumnak nincs értéke";
inline constexpr char ParseAttributeTwice[] = " attribútum kétszer szerepel";
inline constexpr char ParseLtInAttribute[] = "'<' jel egy attribútum értékében";
inline constexpr char ParseNameRequired[] = "hiányzó vagy hibás név (egy '<' vagy '&' jel után)";
inline constexpr char ParseNoSemicolon[] = "hiányzik a ';' egy '&' jellel kezdett hivatkozás végéről";
inline constexpr char ParseUnknownEntity[] = "ismeretlen entitás: &";  // + name + ";"
inline constexpr char ParseInvalidChar[] =
    "érvénytelen karakter (vagy a fájl kódolása nem az, amit a deklarációja mond)";
inline constexpr char ParseUnknownEncoding[] = "ismeretlen kódolás: ";  // + name
inline constexpr char ParseOpenComment[] = "lezáratlan megjegyzés ('<!--' '-->' nélkül)";
inline constexpr char ParseHyphens[] = "két kötőjel ('--') egy megjegyzés belsejében";
inline constexpr char ParseOpenCdata[] = "lezáratlan CDATA szakasz";
inline constexpr char ParseBadDeclaration[] = "hibás XML-deklaráció ('<?xml ... ?>')";
inline constexpr char ParseLateDeclaration[] = "az XML-deklaráció csak a fájl legelején állhat";
inline constexpr char ParseNoSpace[] = "hiányzik egy szóköz (például két attribútum között)";
inline constexpr char ParseOther[] = "hibás XML szerkezet (";  // + libxml2's text + ")"

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
inline constexpr char ExcelNoBoolean[] = "az Excel nem adott logikai értéket: ";  // + what was asked
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
inline constexpr char ExcelOpenedElsewhere[] = "A fájlt más is megnyitotta (";  // + owner file
inline constexpr char ExcelOpenedElsewhereTail[] =
    "), az Excel csak olvasásra nyitotta meg; Korvex nem menti (--save-as: másolat): ";  // + file
inline constexpr char ExcelOpenedReadOnly[] =
    "Az Excel a munkafüzetet csak olvasásra nyitotta meg; Korvex nem menti (--save-as: másolat): ";  // + file
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
// "A kimeneti fájl neve (sheet munkalap, A2) NUL karaktert tartalmaz, a munkafüzetből nem készül fájl."
inline constexpr char NulOutputName[] = "A kimeneti fájl neve (";
inline constexpr char NulOutputNameEnd[] = " munkalap, A2) NUL karaktert tartalmaz, a munkafüzetből nem készül fájl.";
// "A(z) sheet munkalap vezérlőfájlja (A1: "name") nem a vezérlőfájlok mappájában vagy annak almappájában van,
// ezért nem olvasható be; a munkafüzetből nem készül fájl."
inline constexpr char SheetStart[] = "A(z) ";
inline constexpr char ControlOutside[] = " munkalap vezérlőfájlja (A1: \"";
inline constexpr char ControlOutsideEnd[] = "\") nem a vezérlőfájlok mappájában vagy annak almappájában van, ezért nem "
                                            "olvasható be; a munkafüzetből nem készül fájl.";
// "A vezérlőfájlból egyetlen oszlop sem olvasható ki (...), ezért a(z) sheet munkalapról semmi sem kerül az
// XML-be (workbook)."
inline constexpr char NoColumnsRead[] = "A vezérlőfájlból egyetlen oszlop sem olvasható ki (a fájl hiányzik, üres, "
                                        "olvashatatlan, vagy a [MAIN] COLS kulcsa üres), ezért a(z) ";
inline constexpr char NoColumnsReadSheet[] = " munkalapról semmi sem kerül az XML-be (";
inline constexpr char NoColumnsReadEnd[] = ").";
// "A munkafüzet vezérlőfájljai különböző sémát neveznek meg: a.xsd és b.xsd"
inline constexpr char TwoSchemas[] = "A munkafüzet vezérlőfájljai különböző sémát neveznek meg: ";
inline constexpr char And[] = " és ";
// "A(z) sheet munkalap B7 cellájában olyan karakter áll (U+0001), amelyet az XML 1.0 nem enged meg; a
// munkafüzetből nem készül fájl."
inline constexpr char SheetWord[] = " munkalap ";
inline constexpr char BadCharacter[] = " cellájában olyan karakter áll (";
inline constexpr char BadCharacterEnd[] = "), amelyet az XML 1.0 nem enged meg; a munkafüzetből nem készül fájl.";
inline constexpr char MalformedByte[] = "a 0x%02X bájt";  // a printf format: the byte in hexadecimal
// "A kimenet nem lenne jól formált XML (reason; a vezérlőfájl állandó szövegei: file), ezért nem készül fájl: path"
inline constexpr char OutputNotWellFormed[] = "A kimenet nem lenne jól formált XML (";
inline constexpr char OutputConstantTexts[] = "; a vezérlőfájl állandó szövegei: ";
inline constexpr char OutputNotWritten[] = "), ezért nem készül fájl: ";

// --- Schemas (common/xmlschema, export/schemacheck, import/datafilecheck) -------------
inline constexpr char SchemaUnusable[] = "Az XML séma nem használható";
inline constexpr char SchemaNotFound[] = "Az XML séma nem található: ";    // + path
inline constexpr char SchemaNotReadable[] = "Az XML séma nem olvasható: ";  // + path
inline constexpr char SchemaOutsideDataFolder[] = "Az XML séma csak az adatmappán belüli fájl lehet: ";  // + name
// "Hibás XML séma: path, 3. sor: reason", "Hibás XML séma: path: hálózati címről nem töltünk be sémát: url"
inline constexpr char SchemaMalformed[] = "Hibás XML séma: ";
inline constexpr char SchemaFromNetwork[] = ": hálózati címről nem töltünk be sémát: ";
inline constexpr char SchemaDocumentNotChecked[] = "a dokumentum nem ellenőrizhető";
inline constexpr char SchemaFileNotChecked[] = "a fájl nem olvasható vagy nem ellenőrizhető";
// What a schema's complaint means, each followed by libxml2's own text in brackets:
// ""12x" nem érvényes integer érték"
inline constexpr char SchemaNotValid[] = " nem érvényes ";
inline constexpr char SchemaValueWord[] = "érték";
// ""x" nem a megengedett értékek egyike", "Az érték nem illik a megadott mintára", ...
inline constexpr char SchemaTheValue[] = "Az érték";
inline constexpr char SchemaNotAllowedValue[] = "nem a megengedett értékek egyike";
inline constexpr char SchemaNoPatternMatch[] = "nem illik a megadott mintára";
inline constexpr char SchemaLengthNotAllowed[] = "hossza nem megengedett";
inline constexpr char SchemaTooManyDigits[] = "túl sok számjegyet tartalmaz";
inline constexpr char SchemaOutOfRange[] = "kívül esik a megengedett tartományon";
inline constexpr char SchemaFacetBroken[] = "nem felel meg a megszorításnak";
// "hiányzik a kötelező "kód" attribútum", "nem megengedett "x" attribútum"
inline constexpr char SchemaMissingAttribute[] = "hiányzik a kötelező ";
inline constexpr char SchemaAttributeNotAllowed[] = "nem megengedett ";
inline constexpr char SchemaAttributeWord[] = " attribútum";
inline constexpr char SchemaUnexpectedElement[] = "ide nem várt elem";
inline constexpr char SchemaMissingChild[] = "hiányzik egy kötelező gyermekelem";
inline constexpr char SchemaUnknownRoot[] = "a gyökérelemet a séma nem ismeri";
inline constexpr char SchemaNoTextHere[] = "itt nem állhat szöveg";
inline constexpr char SchemaNoElementHere[] = "itt nem állhat elem";
inline constexpr char SchemaBroken[] = "nem felel meg a sémának";
// "A kimenet 3 helyen nem felel meg a sémának. Mégis menti?"
inline constexpr char InvalidOutputStart[] = "A kimenet ";
inline constexpr char InvalidOutputQuestion[] = " helyen nem felel meg a sémának. Mégis menti?";
inline constexpr char OutputMalformedByConstants[] =
    "A kimenet nem jól formázott XML (a CONSTANTTEXT szakaszok szövege rontotta el)";
inline constexpr char RowAt[] = ". sor ";  // "Munka1, 12. sor (Termék/Ár): reason"
inline constexpr char RowAtParen[] = ". sor): ";  // "(12. sor): reason"
inline constexpr char RowAtColon[] = ". sor: ";  // "12. sor: reason"
// "... és még 5 hely"
inline constexpr char AndMore[] = "... és még ";
inline constexpr char Places[] = " hely";
// "Az adatfájl 3 helyen nem felel meg a sémának (schema), nincs átvéve: path"
inline constexpr char DataFileInvalid[] = "Az adatfájl ";
inline constexpr char DataFileInvalidSchema[] = " helyen nem felel meg a sémának (";
inline constexpr char DataFileNotTaken[] = "), nincs átvéve: ";

// --- Checking control files (export/controlcheck, import/importcontrolcheck) ----------
// Findings of "korvex-cli check", each after "file:line: ". "a(z) X ..." names a key, column or element.
inline constexpr char CheckThe[] = "a(z) ";
inline constexpr char CheckTheQuoted[] = "a(z) \"";
inline constexpr char CheckNotText[] =
    "a fájl nem szöveg, vagy bájtsorrend-jel (BOM) nélküli UTF-16/UTF-32: a Korvex nem tudja olvasni";
inline constexpr char CheckNoClosingBracket[] = "a szakasz neve után hiányzik a \"]\"";
inline constexpr char CheckNotKeyValue[] = "a sor nem \"kulcs=érték\" alakú; a Korvex nem veszi figyelembe";
inline constexpr char CheckBeforeSection[] = "a sor szakasz előtt áll; a Korvex nem veszi figyelembe";
inline constexpr char CheckNoKey[] = "a sorban nincs kulcs az \"=\" előtt";
// "a(z) KEY kulcs már szerepel a(z) 3. sorban; csak az az érték számít"
inline constexpr char CheckKeyRepeated[] = " kulcs már szerepel a(z) ";
inline constexpr char CheckKeyRepeatedEnd[] = ". sorban; csak az az érték számít";
// "ismeretlen kulcs a [MAIN] szakaszban: KEY (VERSION, COLS vagy SCHEMA)"
inline constexpr char CheckUnknownMainKey[] = "ismeretlen kulcs a [MAIN] szakaszban: ";
inline constexpr char CheckUnknownMainKeyEnd[] = " (VERSION, COLS vagy SCHEMA)";
inline constexpr char CheckVersionNotNumber[] = "a VERSION nem szám: \"";  // + value + "\""
// "a COLS "AAA" része nem oszlopbetű (egy vagy két betű): minden sorban "Hibás cella!""
inline constexpr char CheckColsPart[] = "a COLS \"";
inline constexpr char CheckColsPartNotColumn[] =
    "\" része nem oszlopbetű (egy vagy két betű): minden sorban \"Hibás cella!\"";
inline constexpr char CheckColumnNotInCols[] = " oszlop nincs a COLS-ban; ez a bejegyzés nem fut le";
inline constexpr char CheckColumnNoMapping[] = " oszlopnak nincs MAPPING bejegyzése; a cellái semmit nem írnak";
inline constexpr char CheckNeverClosed[] = " elemet egyetlen EndItem sem zárja le; a sorok egyre mélyebbre kerülnek";
inline constexpr char CheckNeverOpened[] = " elemet egyetlen BeginItem sem nyitja meg; az EndItem csak a "
                                           "gyökérelemen vagy egy másik vezérlőfájl elemén hat";
// "a(z) "Content(x) y" parancsban a ")" utáni rész elvész"
inline constexpr char CheckAfterParenLost[] = "\" parancsban a \")\" utáni rész elvész";
// "ismeretlen parancs: "Name" (BeginItem, EndItem, Content, Attribute vagy CreateDateItem)"
inline constexpr char CheckUnknownCommand[] = "ismeretlen parancs: \"";
inline constexpr char CheckUnknownCommandEnd[] = "\" (BeginItem, EndItem, Content, Attribute vagy CreateDateItem)";
// "a(z) "BeginItem(1x)" elemneve nem lehet XML név: "1x""
inline constexpr char CheckBadElementName[] = "\" elemneve nem lehet XML név: \"";
inline constexpr char CheckBadAttributeName[] = "\" attribútumneve nem lehet XML név: \"";
inline constexpr char CheckSpaceAroundEquals[] = " (az \"=\" körüli szóköz a név része)";
// "a FORMAT bejegyzés nem "behúzás[,x]" alakú: "value"; a vezérlőfájl olvasása elakad, a munkalap kimarad"
inline constexpr char CheckBadFormat[] = "a FORMAT bejegyzés nem \"behúzás[,x]\" alakú: \"";
inline constexpr char CheckBadFormatEnd[] = "\"; a vezérlőfájl olvasása elakad, a munkalap kimarad";
// "a FORMAT KEY kulcsa nem lehet elemnév; semmit nem tördel"
inline constexpr char CheckFormatKey[] = "a FORMAT ";
inline constexpr char CheckFormatKeyNotName[] = " kulcsa nem lehet elemnév; semmit nem tördel";
// "a(z) [Name] állandó szövegnek nincs (nem üres) Line0 sora; semmi nem kerül a helyére"
inline constexpr char CheckNoLine0[] = "] állandó szövegnek nincs (nem üres) Line0 sora; semmi nem kerül a helyére";
inline constexpr char CheckNotLineN[] = " kulcs nem LineN alakú; az állandó szövegbe nem kerül be";
// "a(z) Line5 sor nem kerül be: a Line3 hiányzik vagy üres"
inline constexpr char CheckLineSkipped[] = " sor nem kerül be: a Line";
inline constexpr char CheckLineSkippedEnd[] = " hiányzik vagy üres";
inline constexpr char CheckNoConstantText[] =
    "a MAPPING CONSTANTTEXT elemet nyit, de a fájlban nincs állandó szöveg szakasz";
// The import's control file:
// "ismeretlen attribútum a(z) SubItem elemen: Name (a nevekben a kis- és nagybetű is számít)"
inline constexpr char CheckUnknownAttribute[] = "ismeretlen attribútum a(z) ";
inline constexpr char CheckOnElement[] = " elemen: ";
inline constexpr char CheckCaseCounts[] = " (a nevekben a kis- és nagybetű is számít)";
inline constexpr char CheckColNotColumn[] = "a Col értéke nem oszlopbetű (egy vagy két betű): \"";  // + value + "\""
// "ismeretlen attribútum a gyökérelemen: name (csak DataSchema)"
inline constexpr char CheckUnknownRootAttribute[] = "ismeretlen attribútum a gyökérelemen: ";
inline constexpr char CheckOnly[] = " (csak ";
inline constexpr char CheckUnknownElement[] = "ismeretlen elem: ";  // + name + where
inline constexpr char CheckOnlyDBItem[] = " (itt csak DBItem állhat; a Korvex figyelmen kívül hagyja)";
inline constexpr char CheckOnlyAttributeSubItem[] =
    " (itt csak Attribute és SubItem állhat; a Korvex figyelmen kívül hagyja)";
inline constexpr char CheckDBItemNoId[] = "a DBItem-nek nincs ID attribútuma; egy elemre sem illeszkedik";
inline constexpr char CheckDBItemNoPage[] = "a DBItem-nek nincs Page attribútuma; csak üres A1-es munkalapra írhat";
// "ismétlődő SubItem ID: "x" (először a(z) 4. sorban); ugyanazt az adatot mindkettő kiírja"
inline constexpr char CheckRepeated[] = "ismétlődő ";
inline constexpr char CheckRepeatedId[] = " ID: \"";
inline constexpr char CheckRepeatedFirst[] = "\" (először a(z) ";
inline constexpr char CheckRepeatedEnd[] = ". sorban); ugyanazt az adatot mindkettő kiírja";
inline constexpr char CheckAttributeNoCol[] = "az Attribute-nak nincs Col attribútuma";
inline constexpr char CheckAttributeInside[] = "az Attribute elem belsejét a Korvex figyelmen kívül hagyja: ";
inline constexpr char CheckAttrValueAlone[] = "AttrValue AttrID nélkül: nincs feltétel, az érték hatástalan";
inline constexpr char CheckNotWellFormed[] = "a fájl nem jól formázott XML";  // [+ ": " + reason]

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
