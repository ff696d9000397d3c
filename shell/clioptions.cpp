#include "shell/clioptions.h"

#include <charconv>

const char* const CliHelpText =
    "Használat / Usage:\n"
    "  korvex-cli export [--data-folder DIR] [--open FILE]... [--workbook N]... [--output-dir DIR]\n"
    "                    [--schema FILE.xsd] [--keep-invalid]\n"
    "  korvex-cli import [--data-folder DIR] [--open FILE]... [--workbook N]... [--save | --save-as DIR]"
    " DATAFILE...\n"
    "  korvex-cli check [--data-folder DIR] [FILE...]\n"
    "  korvex-cli --help\n"
    "\n"
    "export  Minden kijelölt munkafüzetből egy XML fájl (\"Excel->XML\").\n"
    "        Every selected workbook becomes one XML file.\n"
    "import  Az XML adatfájlok tartalma a munkalapokra (\"XML->Excel\").\n"
    "        Fills worksheets from the XML data files.\n"
    "check   A vezérlőfájlok ellenőrzése munkafüzet nélkül; soronként \"fájl:sor: hiba\".\n"
    "        Checks control files (default: every *.ini and XMLToExcel.xml of the data folder)\n"
    "        and prints one \"file:line: message\" per problem.\n"
    "\n"
    "--data-folder DIR  A vezérlőfájlok mappája (alapértelmezés: ~/.local/share/valmoro/Korvex/\n"
    "                   vagy KORVEX_DATA_FOLDER).\n"
    "                   The folder of the control files (default as above).\n"
    "--open FILE        Saját, rejtett LibreOffice-t indít, abban megnyitja a fájlt; a végén leállítja.\n"
    "                   Ismételhető. Nélküle a futó office megnyitott munkafüzeteivel dolgozik.\n"
    "                   Starts a private headless LibreOffice, opens FILE in it and always shuts it\n"
    "                   down. Repeatable. Without it the workbooks of the running office are used.\n"
    "--workbook N       Csak az N. munkafüzet (1-től, a listázás sorrendjében). Ismételhető;\n"
    "                   nélküle minden munkafüzet.\n"
    "                   Only the Nth listed workbook (1-based). Repeatable; default: all.\n"
    "--output-dir DIR   export: az A2-ben megadott fájl ide kerül; ami innen kivezetne, azt nem írja ki\n"
    "                   (nélküle a relatív név a munkafüzet mappájába kerül).\n"
    "                   export: output files (cell A2) land inside DIR; a name that would leave it\n"
    "                   is refused (default: relative names beside the workbook).\n"
    "--save             import: a munkafüzetek mentése a helyükre, saját formátumukban.\n"
    "                   import: store each selected workbook in place, in its own format.\n"
    "--save-as DIR      import: másolatok mentése DIR-be, az eredeti fájlnévvel.\n"
    "                   import: store copies into DIR under their file names.\n"
    "--force            import: mentés akkor is, ha a munkafüzetet más is megnyitotta (.~lock.NÉV#\n"
    "                   fájl), vagy ha a --save-as célfájlja már létezik.\n"
    "                   import: store even when another user has the workbook open (a .~lock.NAME#\n"
    "                   file) or when the --save-as target exists already.\n"
    "--schema FILE.xsd  export: minden munkafüzet kimenete ennek az XML sémának feleljen meg (a\n"
    "                   vezérlőfájlok SCHEMA kulcsa helyett).\n"
    "                   export: every workbook's output must follow this XML Schema (in place of\n"
    "                   the SCHEMA key of its control files).\n"
    "--keep-invalid     export: a sémának nem megfelelő kimenet is kiíródik.\n"
    "                   export: write output that breaks its schema all the same.\n"
    "--help             Ez a súgó. / This help.\n"
    "\n"
    "Kimenet / Output: a napló a szabványos kimenetre, a figyelmeztetések (\"cím: szöveg\") és a\n"
    "hibák a hibakimenetre. / The log goes to stdout, warnings (\"caption: text\") and errors to stderr.\n"
    "\n"
    "Környezet / Environment:\n"
    "  KORVEX_DATA_FOLDER     a vezérlőfájlok mappája / the folder of the control files\n"
    "  KORVEX_OFFICE          a futó LibreOffice kapcsolata (alapértelmezés / default: pipe,name=korvex)\n"
    "                         the connection to the running LibreOffice\n"
    "  KORVEX_SOFFICE         a --open által indított program / the office program --open starts\n"
    "  KORVEX_OFFICE_TIMEOUT  ennyi másodpercig vár az indulására (180) / seconds to wait for it (180)\n"
    "\n"
    "Kilépési kód / Exit status: 0 siker / success, 1 hiba vagy figyelmeztetés / a workbook or\n"
    "file failed or a warning was shown (check: a problem was found), 2 hibás parancssor / usage error.\n";

namespace {

int ParsePosition(const std::string& text)
{
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1)
        throw CliUsageError("Érvénytelen munkafüzet-sorszám / invalid workbook number: " + text);
    return value;
}

}  // namespace

CliOptions ParseCliOptions(const std::vector<std::string>& args)
{
    CliOptions options;
    if (args.empty())
        throw CliUsageError("Hiányzó parancs / missing command (export, import)");

    size_t i = 0;
    const std::string& command = args[i++];
    if (command == "--help" || command == "-h" || command == "help")
        return options;
    if (command == "export")
        options.command = CliOptions::Command::Export;
    else if (command == "import")
        options.command = CliOptions::Command::Import;
    else if (command == "check")
        options.command = CliOptions::Command::Check;
    else
        throw CliUsageError("Ismeretlen parancs / unknown command: " + command);
    const bool isImport = options.command == CliOptions::Command::Import;
    const bool isExport = options.command == CliOptions::Command::Export;
    const bool isCheck = options.command == CliOptions::Command::Check;

    auto value = [&](const std::string& option) -> const std::string& {
        if (i >= args.size() || args[i].empty())
            throw CliUsageError("Hiányzó érték / missing value: " + option);
        return args[i++];
    };

    bool optionsEnded = false;
    while (i < args.size()) {
        const std::string& arg = args[i++];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            if (isCheck)
                options.checkFiles.push_back(arg);
            else if (isImport)
                options.dataFiles.push_back(arg);
            else
                throw CliUsageError("Fölösleges argumentum / unexpected argument: " + arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options = CliOptions();
            return options;
        } else if (arg == "--data-folder") {
            options.dataFolder = value(arg);
        } else if (arg == "--open" && !isCheck) {
            options.openFiles.push_back(value(arg));
        } else if (arg == "--workbook" && !isCheck) {
            options.workbooks.push_back(ParsePosition(value(arg)));
        } else if (arg == "--output-dir" && isExport) {
            options.outputDir = value(arg);
        } else if (arg == "--schema" && isExport) {
            options.schemaFile = value(arg);
        } else if (arg == "--keep-invalid" && isExport) {
            options.keepInvalid = true;
        } else if (arg == "--save" && isImport) {
            options.save = true;
        } else if (arg == "--save-as" && isImport) {
            options.saveAsDir = value(arg);
        } else if (arg == "--force" && isImport) {
            options.force = true;
        } else {
            throw CliUsageError("Ismeretlen kapcsoló / unknown option: " + arg);
        }
    }
    if (options.save && !options.saveAsDir.empty())
        throw CliUsageError("A --save és a --save-as együtt nem adható meg / --save and --save-as exclude each other");
    if (options.force && !options.save && options.saveAsDir.empty())
        throw CliUsageError("A --force csak a --save vagy a --save-as mellett adható meg / --force needs --save or --save-as");
    if (isImport && options.dataFiles.empty())
        throw CliUsageError("Hiányzó adatfájl / no DATAFILE given");
    return options;
}
