#pragma once

// The command line's own texts (Hungarian / English), in one place for a translation.
// A text that ends in a space or ": " is followed by a name or a value.
namespace CliMsg {

// --- Usage (clioptions) -------------------------------------------------------------
inline constexpr char HelpText[] =
    "Használat / Usage:\n"
    "  korvex-cli export [--data-folder DIR] [--open FILE]... [--workbook N]... [--output-dir DIR]\n"
    "                    [--schema FILE.xsd] [--keep-invalid]\n"
    "  korvex-cli import [--data-folder DIR] [--open FILE]... [--workbook N]... [--save | --save-as DIR]\n"
    "                    [--force] DATAFILE...\n"
    "  korvex-cli check [--data-folder DIR] [FILE...]\n"
    "  korvex-cli --help\n"
    "\n"
    "export  Minden kijelölt munkafüzetből egy XML-fájl (\"Excel->XML\").\n"
    "        Every selected workbook becomes one XML file.\n"
    "import  Az XML-adatfájlok tartalma a munkalapokra (\"XML->Excel\").\n"
    "        Fills worksheets from the XML data files.\n"
    "check   A vezérlőfájlok ellenőrzése munkafüzet nélkül; soronként \"fájl:sor: hiba\".\n"
    "        Checks control files (default: every *.ini and XMLToExcel.xml of the data folder)\n"
    "        and prints one \"file:line: message\" per problem.\n"
    "A munkafüzetek a futó LibreOffice-ban (\"korvex\" csatorna) vagy a --open fájljai. / The workbooks\n"
    "are those of the running LibreOffice (pipe \"korvex\") or the --open files.\n"
    "\n"
    "--data-folder DIR  A vezérlőfájlok mappája. Alapértelmezés: KORVEX_DATA_FOLDER; ha nincs megadva,\n"
    "                   ~/.local/share/valmoro/Korvex/ ($XDG_DATA_HOME), ha létezik; különben az első\n"
    "                   $XDG_DATA_DIRS-mappa (/usr/local/share, /usr/share), amelyben van valmoro/Korvex/.\n"
    "                   The folder of the control files. Default: KORVEX_DATA_FOLDER; without it\n"
    "                   ~/.local/share/valmoro/Korvex/ ($XDG_DATA_HOME) if it exists; otherwise the\n"
    "                   first $XDG_DATA_DIRS folder (/usr/local/share, /usr/share) holding valmoro/Korvex/.\n"
    "--open FILE        Saját, rejtett LibreOffice-t indít, abban megnyitja a fájlt; a végén leállítja.\n"
    "                   Ismételhető. Nélküle a futó LibreOffice megnyitott munkafüzeteivel dolgozik.\n"
    "                   Starts a private headless LibreOffice, opens FILE in it and always shuts it\n"
    "                   down. Repeatable. Without it the workbooks of the running LibreOffice are used.\n"
    "--workbook N       Csak az N. munkafüzet (1-től, a listázás sorrendjében). Ismételhető;\n"
    "                   alapértelmezés: minden munkafüzet (az ablakban egy sincs kijelölve).\n"
    "                   Only the Nth listed workbook (1-based). Repeatable; default: every\n"
    "                   workbook (the window ticks none).\n"
    "--output-dir DIR   export: az A2-ben megadott fájl ebbe a mappába kerül (a relatív név ehhez\n"
    "                   képest); ami innen kivezetne (\"..\", máshová mutató abszolút útvonal), azt nem\n"
    "                   írja ki. Alapértelmezés: a relatív név a munkafüzet mappájához képest, az\n"
    "                   abszolút útvonal változatlan.\n"
    "                   export: the output file (cell A2) lands inside DIR (a relative name below\n"
    "                   it); a name that would leave it (\"..\", an absolute path elsewhere) is\n"
    "                   refused. Default: relative names beside the workbook, absolute paths as\n"
    "                   they are.\n"
    "--save             import: a munkafüzetek mentése a helyükre, saját formátumukban.\n"
    "                   import: store each selected workbook in place, in its own format.\n"
    "--save-as DIR      import: másolatok mentése DIR-be, az eredeti fájlnévvel.\n"
    "                   import: store copies into DIR under their file names.\n"
    "--force            import: mentés akkor is, ha a munkafüzetet más is megnyitotta (.~lock.NÉV#\n"
    "                   fájl), vagy ha a --save-as célfájlja már létezik.\n"
    "                   import: store even when another user has the workbook open (a .~lock.NAME#\n"
    "                   file) or when the --save-as target exists already.\n"
    "--schema FILE.xsd  export: minden munkafüzet kimenete ennek az XML-sémának feleljen meg (a\n"
    "                   vezérlőfájlok SCHEMA kulcsa helyett).\n"
    "                   export: every workbook's output must follow this XML Schema (in place of\n"
    "                   the SCHEMA key of its control files).\n"
    "--keep-invalid     export: a sémának nem megfelelő kimenet is kiíródik.\n"
    "                   export: write output that breaks its schema all the same.\n"
    "--help             Ez a súgó. / This help.\n"
    "\n"
    "Kimenet / Output:\n"
    "  stdout  A napló: exportnál a kész XML szöveg UTF-8-ban, LF sorvégekkel (a fájl CR LF sorvégű,\n"
    "          és ISO-8859-2 is lehet: az átirányított kimenet nem azonos a fájllal); importnál a\n"
    "          fájlok, az elemek sorai és a \"*** End ***\".\n"
    "          The log: the export's XML text in UTF-8 with LF line ends (the file has CR LF and may\n"
    "          be ISO-8859-2: redirected stdout is not the file); the import's files, element\n"
    "          lines and \"*** End ***\".\n"
    "  stderr  \"cím: szöveg\"                      figyelmeztetés / a warning (caption: text)\n"
    "          \"Hiba / failed: MUNKAFÜZET: ok\"    ez a munkafüzet hibás, a többi kimarad /\n"
    "                                           this workbook failed, the rest are skipped\n"
    "          \"Hiba / error: ok\"                 a parancs leállt / the command stopped\n"
    "          \"Kiírva / written: FÁJL\"           export: a megírt XML-fájl / the file written\n"
    "          \"Mentve / saved: FÁJL\"             import: a mentett munkafüzet / the workbook stored\n"
    "          \"Megszakítva / interrupted\"        Ctrl-C, SIGTERM vagy SIGHUP\n"
    "\n"
    "Környezet / Environment:\n"
    "  KORVEX_DATA_FOLDER     a vezérlőfájlok mappája / the folder of the control files\n"
    "  KORVEX_OFFICE          a futó LibreOffice kapcsolata (alapértelmezés / default: pipe,name=korvex)\n"
    "                         the connection to the running LibreOffice\n"
    "  KORVEX_SOFFICE         a --open által indított program / the office program --open starts\n"
    "  KORVEX_OFFICE_TIMEOUT  ennyi másodpercig vár az indulására (180) / seconds to wait for it (180)\n"
    "\n"
    "Kilépési kód / Exit status:\n"
    "  0  siker / success\n"
    "  1  egy munkafüzet vagy fájl hibás volt, figyelmeztetés jelent meg, vagy a futást megszakították\n"
    "     (check: hibát talált)\n"
    "     a workbook or file failed, a warning was shown, or the run was interrupted (check: a\n"
    "     problem was found)\n"
    "  2  hibás parancssor / usage error\n";
inline constexpr char InvalidWorkbookNumber[] = "Érvénytelen munkafüzet-sorszám / invalid workbook number: ";
inline constexpr char MissingCommand[] = "Hiányzó parancs / missing command (export, import)";
inline constexpr char UnknownCommand[] = "Ismeretlen parancs / unknown command: ";
inline constexpr char MissingValue[] = "Hiányzó érték / missing value: ";
inline constexpr char UnexpectedArgument[] = "Fölösleges argumentum / unexpected argument: ";
inline constexpr char UnknownOption[] = "Ismeretlen kapcsoló / unknown option: ";
inline constexpr char SaveAndSaveAs[] =
    "A --save és a --save-as együtt nem adható meg / --save and --save-as exclude each other";
inline constexpr char ForceNeedsSave[] =
    "A --force csak a --save vagy a --save-as mellett adható meg / --force needs --save or --save-as";
inline constexpr char NoDataFile[] = "Hiányzó adatfájl / no DATAFILE given";

// --- Running (climain, clifrontend) -------------------------------------------------
inline constexpr char FileNotFound[] = "A fájl nem található: ";
inline constexpr char XmlFileNotFound[] = "Az XML fájl nem található: ";
inline constexpr char FolderMissing[] = "A mappa nem létezik: ";
inline constexpr char NotSaved[] = "A munkafüzetek nincsenek mentve (--save vagy --save-as) / "
    "the workbooks were not saved (use --save or --save-as)";
inline constexpr char NotSavedAfterFailure[] =
    "A munkafüzetek a hiba miatt nincsenek mentve / the workbooks were not saved because of the failure";
inline constexpr char Saved[] = "Mentve / saved: ";
// "LibreOffice indítása... / starting LibreOffice..."
inline constexpr char Starting[] = " indítása... / starting ";  // between the office's names
inline constexpr char StartingEnd[] = "...";
inline constexpr char Written[] = "Kiírva / written: ";
inline constexpr char Error[] = "Hiba / error: ";
inline constexpr char SeeHelp[] = "\nLásd / see: korvex-cli --help\n";
inline constexpr char InterruptedText[] = "Megszakítva / interrupted";
inline constexpr char Failed[] = "Hiba / failed: ";  // + workbook [+ ": " + reason]
inline constexpr char RowSuffix[] = ". sor";  // the progress: "sheet: 12. sor"
inline constexpr char NoOutputName[] =
    "Nincs kimeneti fájlnév az első munkalap A2 cellájában / no output file name in cell A2: ";
// "Nincs 3. munkafüzet, csak 2 van megnyitva / there is no workbook 3, only 2 open"
inline constexpr char NoWorkbook[] = "Nincs ";
inline constexpr char OnlyWorkbooks[] = ". munkafüzet, csak ";
inline constexpr char NoWorkbookOpen[] = " van megnyitva / there is no workbook ";
inline constexpr char OnlyOpen[] = ", only ";
inline constexpr char OpenEnd[] = " open";

// --- Output plan and schema (clifrontend) --------------------------------------------
// "A(z) wb munkafüzet kimeneti fájlja (A2: "name") kivezetne a --output-dir mappából (folder), ezért nem
// készül el / the output file of wb would leave the --output-dir folder"
inline constexpr char WorkbookStart[] = "A(z) ";
inline constexpr char LeavesFolderName[] = " munkafüzet kimeneti fájlja (A2: \"";
inline constexpr char LeavesFolderDir[] = "\") kivezetne a --output-dir mappából (";
inline constexpr char LeavesFolderEnglish[] = "), ezért nem készül el / the output file of ";
inline constexpr char LeavesFolderEnd[] = " would leave the --output-dir folder";
inline constexpr char NothingExported[] = "; a kivitel nem indul el / nothing is exported";
// "A(z) wb munkafüzet kimeneti fájlneve (A2) NUL karaktert tartalmaz; a kivitel nem indul el / the output
// file name of wb holds a NUL character"
inline constexpr char NulName[] = " munkafüzet kimeneti fájlneve (A2) NUL karaktert tartalmaz; "
                                  "a kivitel nem indul el / the output file name of ";
inline constexpr char NulNameEnd[] = " holds a NUL character";
// "A(z) wb1 és a(z) wb2 munkafüzet ugyanabba a fájlba írna (path); a kivitel nem indul el / two workbooks
// would write the same file"
inline constexpr char SameFileAnd[] = " és a(z) ";
inline constexpr char SameFile[] = " munkafüzet ugyanabba a fájlba írna (";
inline constexpr char SameFileEnd[] = "); a kivitel nem indul el / two workbooks would write the same file";
// "wb: a kimenet 3 helyen nem felel meg a sémának / the output breaks its schema in 3 places"
inline constexpr char SchemaBroken[] = ": a kimenet ";
inline constexpr char SchemaBrokenEnglish[] = " helyen nem felel meg a sémának / the output breaks its schema in ";
inline constexpr char SchemaBrokenEnd[] = " places";
inline constexpr char NotWrittenInvalid[] = "Nincs kiírva (--keep-invalid nélkül) / not written (no --keep-invalid): ";

// --- Checking control files (checkcommand) ------------------------------------------
inline constexpr char CheckFileMissing[] = "a fájl nem található vagy nem olvasható";
inline constexpr char CheckFileNotReadable[] = "a fájl nem olvasható";
inline constexpr char NoSuchDataFolder[] = "Az adatmappa nem létezik / no such data folder: ";
inline constexpr char NotePrefix[] = "megjegyzés: ";  // before a finding that is only a note

}  // namespace CliMsg
