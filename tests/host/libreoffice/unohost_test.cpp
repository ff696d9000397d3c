// The LibreOffice backend against a real headless office that the test starts itself.

#include "host/cellvalue.h"
#include "host/excelsheet.h"
#include "tests/support/officefixture.h"
#include "tests/support/officetest.h"
#include "host/libreoffice/unohost.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Warnings : MessageSink {
    std::vector<std::string> shown;
    void Warning(std::string_view caption, std::string_view text) override
    {
        shown.push_back(std::string(caption) + "|" + std::string(text));
    }
};

std::string UnusedPipe()
{
    return "pipe,name=korvex-nobody-" + std::to_string(::getpid());
}

// Stands between the backend and an office listening on a pipe: drops the first
// connections the moment they are made, as a busy office now and then does, and passes
// the bytes of the later ones both ways. The backend reaches it as a localhost socket.
class DroppingProxy {
public:
    DroppingProxy(const std::string& officeConnection, int drops)
        : officeSocket_("/tmp/OSL_PIPE_" + std::to_string(::getuid()) + "_" +
                        officeConnection.substr(officeConnection.find("name=") + 5)),
          drops_(drops)
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 8) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("no listening socket for the proxy");
        port_ = ntohs(address.sin_port);
        server_ = std::thread([this] { Serve(); });
    }
    ~DroppingProxy()
    {
        stop_ = true;
        server_.join();
        for (std::thread& relay : relays_)
            relay.join();
        ::close(listener_);
    }
    DroppingProxy(const DroppingProxy&) = delete;
    DroppingProxy& operator=(const DroppingProxy&) = delete;

    std::string Connection() const { return "socket,host=127.0.0.1,port=" + std::to_string(port_); }
    int Accepted() const { return accepted_; }

private:
    void Serve()
    {
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 50) <= 0)
                continue;
            int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            if (++accepted_ <= drops_) {
                ::close(client);
                continue;
            }
            int office = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            officeSocket_.copy(address.sun_path, sizeof address.sun_path - 1);
            if (office < 0 || ::connect(office, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
                ::close(client);
                if (office >= 0)
                    ::close(office);
                continue;
            }
            relays_.emplace_back([this, client, office] { Relay(client, office); });
        }
    }

    // Copies bytes both ways until either side closes or the proxy stops.
    void Relay(int client, int office)
    {
        pollfd ends[2] = {{client, POLLIN, 0}, {office, POLLIN, 0}};
        char buffer[65536];
        bool open = true;
        while (open && !stop_) {
            if (::poll(ends, 2, 50) <= 0)
                continue;
            for (int i = 0; i < 2 && open; ++i) {
                if (!(ends[i].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                ssize_t got = ::read(ends[i].fd, buffer, sizeof buffer);
                open = got > 0 && ::send(ends[1 - i].fd, buffer, static_cast<size_t>(got), MSG_NOSIGNAL) == got;
            }
        }
        ::close(client);
        ::close(office);
    }

    std::string officeSocket_;
    int drops_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<int> accepted_{0};
    std::atomic<bool> stop_{false};
    std::thread server_;
    std::vector<std::thread> relays_;
};

// One office for the whole program: starting one takes a second or two.
class UnoHostTest : public OfficeTest {
protected:
    // The office is known to run here: no host is a failure, never something to go on with.
    std::shared_ptr<HostBackend> Connect()
    {
        if (auto host = ConnectLibreOfficeAt(office->Connection()))
            return host;
        throw std::runtime_error("no connection to " + office->Connection());
    }

    Warnings warnings;
};

TEST_F(UnoHostTest, ListsOpenWorkbooksInOpeningOrderWithTheirPaths)
{
    auto later = office->Folder() / "a later.ods";
    auto first = office->Folder() / "z first.xlsx";
    office->CreateWorkbookFile(later, {{"Egy", {}}});
    office->CreateWorkbookFile(first, {{"Start", {}}, {"Adatok", {}}, {"Üres lap", {}}});
    office->Open(first);
    office->Open(later);
    int untitled = office->CreateDocument();

    TExcelApp app(Connect(), &warnings);
    std::vector<std::string> names;
    ASSERT_EQ(app.GetWorkbookNames(names), 3);
    EXPECT_EQ(names, (std::vector<std::string>{first.string(), later.string(), office->Title(untitled)}));
    EXPECT_EQ(app.GetSheetCount(1), 3);
    EXPECT_EQ(app.GetSheetCount(2), 1);
    EXPECT_EQ(app.GetSheetCount(4), 0);

    TExcelSheet sheet;
    std::vector<std::string> sheetNames;
    for (int i = 1; i <= 3; ++i) {
        sheet.Open(app, names[0], 1, i);
        sheetNames.push_back(sheet.SheetName);
    }
    EXPECT_EQ(sheetNames, (std::vector<std::string>{"Start", "Adatok", "Üres lap"}));
    EXPECT_EQ(sheet.WorkbookName, first.string());
    EXPECT_THROW(sheet.Open(app, names[0], 1, 4), HostError);
    EXPECT_TRUE(warnings.shown.empty());
}

TEST_F(UnoHostTest, OpeningOrderHoldsBeyondNineDocuments)
{
    // The office numbers its documents; "10" must sort after "9".
    std::vector<std::string> titles;
    for (int i = 0; i < 11; ++i)
        titles.push_back(office->Title(office->CreateDocument()));

    TExcelApp app(Connect());
    std::vector<std::string> names;
    app.GetWorkbookNames(names);
    EXPECT_EQ(names, titles);
}

struct ReadCase {
    const char* input;  // as a user types it
    const char* text;   // what GetCellText gives
};

class UnoHostReadTest : public UnoHostTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(UnoHostReadTest, ReadsCellValuesAsText)
{
    const std::vector<ReadCase> cases{
        {"1970", "1970"},
        {"1.5", "1.5"},
        {"-0.25", "-0.25"},
        {"123456789012", "123456789012"},
        {"alma", "alma"},
        {"árvíztűrő tükörfúrógép", "árvíztűrő tükörfúrógép"},
        {"'0123", "0123"},
        {"2024-01-15", "2024-01-15"},
        {"2024-01-15 13:45", "2024-01-15T13:45:00"},
        {"TRUE", "TRUE"},
        {"FALSE", "FALSE"},
        {"=1+1", "2"},
        {"=1=1", "TRUE"},
        {"=\"szöveg\"", "szöveg"},
        {"=\"\"", ""},
        {"=DATE(2024;1;5)", "2024-01-05"},
    };
    std::vector<OfficeFixture::Cell> cells;
    for (size_t i = 0; i < cases.size(); ++i)
        cells.push_back({"B" + std::to_string(i + 1), cases[i].input});
    // A file of each format as it is read back, and a document typed live.
    if (std::string(GetParam()) == "live") {
        office->CreateDocument({{"Adatok", cells}});
    } else {
        auto file = office->Folder() / (std::string("values.") + GetParam());
        office->CreateWorkbookFile(file, {{"Adatok", cells}});
        office->Open(file);
    }

    TExcelApp app(Connect(), &warnings);
    TExcelSheet sheet;
    sheet.Open(app, "values", 1, 1);
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(sheet.GetCellText(cells[i].name), cases[i].text) << "typed " << cases[i].input;
    EXPECT_EQ(sheet.GetCellText("A1"), "");
    EXPECT_EQ(sheet.GetCellText("ZZ1000"), "");
    EXPECT_TRUE(warnings.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, UnoHostReadTest, ::testing::Values("ods", "xlsx", "live"),
                         [](const auto& info) { return std::string(info.param); });

// A value as the wrapper shows it: its text, or "#error" for an error value.
std::string Shown(const CellValue& value)
{
    return value.kind == CellValue::Kind::Error ? "#error" : CellValueText(value);
}

TEST_P(UnoHostReadTest, ABlockReadsWhatSingleCellsRead)
{
    const std::vector<const char*> inputs{
        "1970", "1.5", "-0.25", "123456789012", "alma", "árvíztűrő", "'0123", "2024-01-15", "2024-01-15 13:45",
        "13:45", "TRUE", "FALSE", "12%", "=1+1", "=1=1", "=\"szöveg\"", "=\"\"", "=DATE(2024;1;5)", "=1/0",
        "=NA()", "'=1+1", "=B1*2", "", "0.1", "-3"};
    // Four columns, a gap column and a gap row among them.
    std::vector<OfficeFixture::Cell> cells;
    for (size_t i = 0; i < inputs.size(); ++i) {
        int row = static_cast<int>(i / 4) + 1;
        int column = static_cast<int>(i % 4) + 1;
        if (inputs[i][0] != '\0')
            cells.push_back({std::string(1, char('A' + column + (column > 2))) + std::to_string(row + (row > 3)),
                             inputs[i]});
    }
    if (std::string(GetParam()) == "live") {
        office->CreateDocument({{"Adatok", cells}});
    } else {
        auto file = office->Folder() / (std::string("block.") + GetParam());
        office->CreateWorkbookFile(file, {{"Adatok", cells}});
        office->Open(file);
    }

    auto host = Connect();
    auto sheet = host->Sheet(1, 1);
    ASSERT_TRUE(sheet->BlockAccess());
    CellRange used = sheet->UsedArea();
    EXPECT_EQ(used, (CellRange{1, 1, 8, 6}));
    CellRange range{1, 1, 9, 7};
    std::vector<CellValue> block = sheet->ReadBlock(range);
    ASSERT_EQ(block.size(), 63u);
    for (int row = 1; row <= 9; ++row) {
        for (int column = 1; column <= 7; ++column) {
            CellValue single = sheet->ReadCell(row, column);
            EXPECT_EQ(Shown(block[static_cast<size_t>(row - 1) * 7 + column - 1]), Shown(single))
                << "row " << row << ", column " << column << ": " << Shown(single);
        }
    }
}

TEST_F(UnoHostTest, ABlockWriteStoresWhatSingleWritesStore)
{
    const std::vector<std::string> texts{"12", "-3.5", "0.25", "01234", "12.50", "1e5", "12%", "2024-01-05", "1/2",
                                         "TRUE", "=1+1", "=A1*2", "'quoted", "árvíztűrő", "", "két\nsor",
                                         "  szóközök  ", std::string(3000, 'x')};
    int document = office->CreateDocument({{"Cél", {{"B15", "old"}, {"A15", "old"}}}});
    auto host = Connect();
    auto sheet = host->Sheet(1, 1);
    std::vector<CellValue> values;
    for (size_t i = 0; i < texts.size(); ++i) {
        values.push_back(CellValueForText(texts[i]));
        sheet->WriteCell(static_cast<int>(i) + 1, 1, values.back());
    }
    sheet->WriteBlock({1, 2, static_cast<int>(texts.size()), 1}, values);
    for (size_t i = 0; i < texts.size(); ++i) {
        OfficeFixture::CellInfo single = office->Inspect(document, 1, "A" + std::to_string(i + 1));
        OfficeFixture::CellInfo block = office->Inspect(document, 1, "B" + std::to_string(i + 1));
        EXPECT_EQ(block.type, single.type) << texts[i];
        EXPECT_EQ(block.formula, single.formula) << texts[i];
        EXPECT_EQ(block.text, single.text) << texts[i];
    }
    EXPECT_EQ(office->Inspect(document, 1, "B11").type, "TEXT");   // "=1+1" is no formula
    EXPECT_EQ(office->Inspect(document, 1, "B15").type, "EMPTY");  // an empty text empties
}

// A flat ODF spreadsheet: A1 holds a text under the text format @" kg"; A2 is empty
// and A3 holds a text, both with a note.
const char* const FormattedAndNotedSheet = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:automatic-styles>
  <number:text-style style:name="N100"><number:text-content/><number:text> kg</number:text></number:text-style>
  <style:style style:name="ce1" style:family="table-cell" style:parent-style-name="Default" style:data-style-name="N100"/>
 </office:automatic-styles>
 <office:body><office:spreadsheet><table:table table:name="Lap">
  <table:table-row><table:table-cell table:style-name="ce1" office:value-type="string"><text:p>abc</text:p></table:table-cell></table:table-row>
  <table:table-row><table:table-cell><office:annotation><text:p>első megjegyzés</text:p></office:annotation></table:table-cell></table:table-row>
  <table:table-row><table:table-cell office:value-type="string"><office:annotation><text:p>második megjegyzés</text:p></office:annotation><text:p>régi</text:p></table:table-cell></table:table-row>
 </table:table></office:spreadsheet></office:body>
</office:document>
)";

TEST_F(UnoHostTest, TextsReadAsStoredAndNotesStayWhenWritesGoInBlocks)
{
    auto file = office->Folder() / "noted.fods";
    std::ofstream(file, std::ios::binary) << FormattedAndNotedSheet;
    int document = office->Open(file);
    ASSERT_EQ(office->Inspect(document, 1, "A1").text, "abc kg");
    TExcelApp app(Connect(), &warnings);
    ASSERT_TRUE(app.Buffered());
    TExcelSheet sheet;
    sheet.Open(app, "noted", 1, 1);
    EXPECT_EQ(sheet.GetCellText("A1"), "abc");  // alone, not as shown ("abc kg")
    sheet.Open(app, "noted", 1, 1);
    EXPECT_EQ(sheet.GetCellText("A3"), "régi");
    EXPECT_EQ(sheet.GetCellText("A1"), "abc");  // from a block

    {
        TWriteBehind writes(app);
        sheet.Open(app, "noted", 1, 1);
        sheet.SetCellText(2, 0, "új");  // A3, with a note
        sheet.SetCellText(3, 0, "x");   // A4
        sheet.SetCellText(0, 1, "1");   // B1
        sheet.SetCellText(3, 1, "2");   // B4
        writes.Flush();
    }
    sheet.Open(app, "noted", 1, 1);
    EXPECT_EQ(sheet.GetCellText("A3"), "új");
    EXPECT_EQ(sheet.GetCellText("B4"), "2");
    EXPECT_EQ(sheet.GetCellText("A2"), "");
    BlockWriteLimits limits = Connect()->Sheet(1, 1)->WriteLimits({1, 1, 4, 2});
    EXPECT_EQ(limits.untouchable, (std::vector<CellRange>{{2, 1, 2, 1}}));  // both notes are still there
    EXPECT_TRUE(warnings.shown.empty());
}

TEST_F(UnoHostTest, ErrorValuesWarnAndFail)
{
    auto file = office->Folder() / "errors.ods";
    office->CreateWorkbookFile(file, {{"Hibák", {{"C1", "=1/0"}, {"C2", "=NA()"}, {"C3", "=C1+1"}}}});
    office->Open(file);

    TExcelApp app(Connect(), &warnings);
    TExcelSheet sheet;
    sheet.Open(app, file.string(), 1, 1);
    for (const char* cell : {"C1", "C2", "C3"}) {
        warnings.shown.clear();
        EXPECT_THROW(sheet.GetCellText(cell), HostError) << cell;
        EXPECT_EQ(warnings.shown, (std::vector<std::string>{"Hibás cella!|" + file.string() + " Hibák " + cell}));
    }
}

struct WriteCase {
    const char* text;
    const char* type;     // what the office holds afterwards
    const char* formula;  // the office's own view of the content
};

TEST_F(UnoHostTest, WritesPlainDecimalsAsNumbersAndEverythingElseAsLiteralText)
{
    const std::vector<WriteCase> cases{
        {"12", "VALUE", "12"},
        {"-3.5", "VALUE", "-3.5"},
        {"0.25", "VALUE", "0.25"},
        {"01234", "TEXT", "01234"},
        {"12.50", "TEXT", "12.50"},
        {"1e5", "TEXT", "1e5"},
        {"12%", "TEXT", "12%"},
        {"2024-01-05", "TEXT", "2024-01-05"},
        {"1/2", "TEXT", "1/2"},
        {"TRUE", "TEXT", "TRUE"},
        {"=1+1", "TEXT", "=1+1"},
        {"=A1*2", "TEXT", "=A1*2"},
        {"'quoted", "TEXT", "'quoted"},
        {"árvíztűrő", "TEXT", "árvíztűrő"},
        {"", "EMPTY", ""},
    };
    int document = office->CreateDocument({{"Cél", {{"A15", "old"}}}});
    TExcelApp app(Connect(), &warnings);
    std::vector<std::string> names;
    app.GetWorkbookNames(names);
    TExcelSheet sheet;
    sheet.Open(app, names.at(0), 1, 1);

    for (size_t i = 0; i < cases.size(); ++i) {
        std::string cell = std::string("A").append(std::to_string(i + 1));
        sheet.SetCellText(static_cast<int>(i), 0, cases[i].text);
        OfficeFixture::CellInfo info = office->Inspect(document, 1, cell);
        EXPECT_EQ(info.type, cases[i].type) << cases[i].text;
        EXPECT_EQ(info.type == "TEXT" ? info.text : info.formula, cases[i].formula) << cases[i].text;
        EXPECT_EQ(sheet.GetCellText(cell), cases[i].text) << "read back";
    }
    sheet.SetCellText(0, 1, "x");
    EXPECT_EQ(office->Inspect(document, 1, "B1").text, "x");  // row 0, column 1 is B1
    EXPECT_TRUE(warnings.shown.empty());
}

TEST_F(UnoHostTest, ClosedWorkbookFails)
{
    int document = office->CreateDocument({{"Lap", {{"A1", "5"}}}});
    auto host = Connect();
    TExcelApp app(host, &warnings);
    TExcelSheet sheet;
    sheet.Open(app, "book", 1, 1);
    ASSERT_EQ(sheet.GetCellText("A1"), "5");

    office->Close(document);
    EXPECT_THROW(sheet.SetCellText(0, 0, "6"), HostError);
    EXPECT_EQ(sheet.GetCellText("A1"), "");
    EXPECT_EQ(warnings.shown, (std::vector<std::string>{"Hibás cella!|book Lap A1"}));
    EXPECT_THROW(host->SheetCount(1), HostError);
    EXPECT_THROW(host->WorkbookFullName(1), HostError);
    EXPECT_EQ(app.GetSheetCount(1), 0);
}

TEST_F(UnoHostTest, CellsBeyondTheSheetAreHostErrors)
{
    office->CreateDocument();
    auto host = Connect();
    auto sheet = host->Sheet(1, 1);
    EXPECT_THROW(sheet->ReadCell(1048577, 1), HostError);
    EXPECT_THROW(sheet->ReadCell(1, 16385), HostError);
    EXPECT_THROW(sheet->WriteCell(0, 1, CellValue::FromNumber(1)), HostError);
    EXPECT_THROW(host->Sheet(1, 2), HostError);
    EXPECT_THROW(host->Sheet(2, 1), HostError);
}

TEST_F(UnoHostTest, KorvexOfficeChoosesTheConnection)
{
    office->CreateDocument();
    ::setenv("KORVEX_OFFICE", office->Connection().c_str(), 1);
    auto host = ConnectLibreOffice();
    ::unsetenv("KORVEX_OFFICE");
    ASSERT_TRUE(host);
    EXPECT_EQ(host->WorkbookCount(), 1);
}

TEST_F(UnoHostTest, OfficeThatEndsTurnsCallsIntoHostErrors)
{
    OfficeFixture own;
    own.CreateDocument({{"Lap", {{"A1", "1"}}}});
    auto host = ConnectLibreOfficeAt(own.Connection());
    ASSERT_TRUE(host);
    auto sheet = host->Sheet(1, 1);

    own.Terminate();
    EXPECT_THROW(sheet->ReadCell(1, 1), HostError);
    EXPECT_THROW(host->WorkbookCount(), HostError);
    TExcelApp app(host);
    std::vector<std::string> names;
    EXPECT_EQ(app.GetWorkbookNames(names), 0);
}

TEST_F(UnoHostTest, ConnectionsDroppedAtOnceAreTriedAgainThenGivenUp)
{
    office->CreateDocument();
    {
        DroppingProxy proxy(office->Connection(), 2);
        auto host = ConnectLibreOfficeAt(proxy.Connection());
        ASSERT_TRUE(host) << "two dropped connections end in a third that works";
        EXPECT_EQ(host->WorkbookCount(), 1);
        EXPECT_EQ(proxy.Accepted(), 3);
    }
    DroppingProxy proxy(office->Connection(), 1000);
    EXPECT_EQ(ConnectLibreOfficeAt(proxy.Connection()), nullptr) << "an office that drops every connection is none";
    EXPECT_GT(proxy.Accepted(), 1);
}

TEST(UnoHostWithoutOfficeTest, NothingListeningMeansNoWorkbooks)
{
    EXPECT_EQ(ConnectLibreOfficeAt(UnusedPipe()), nullptr);

    ::setenv("KORVEX_OFFICE", UnusedPipe().c_str(), 1);
    TExcelApp app{HostConnector(ConnectLibreOffice)};
    ::unsetenv("KORVEX_OFFICE");
    std::vector<std::string> names;
    EXPECT_EQ(app.GetWorkbookNames(names), 0);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(app.GetSheetCount(1), 0);
}

TEST(UnoHostWithoutOfficeTest, MalformedConnectionMeansNoOffice)
{
    EXPECT_EQ(ConnectLibreOfficeAt("uno:nonsense"), nullptr);
    EXPECT_EQ(ConnectLibreOfficeAt("carrier-pigeon,name=x"), nullptr);
}

TEST(OfficeConnectionUrlTest, CompletesConnectionDescriptions)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", "uno:pipe,name=korvex;urp;StarOffice.ComponentContext"},
        {"  ", "uno:pipe,name=korvex;urp;StarOffice.ComponentContext"},
        {"pipe,name=other", "uno:pipe,name=other;urp;StarOffice.ComponentContext"},
        {"socket,host=localhost,port=2002", "uno:socket,host=localhost,port=2002;urp;StarOffice.ComponentContext"},
        {" socket,host=localhost,port=2002;urp ", "uno:socket,host=localhost,port=2002;urp;StarOffice.ComponentContext"},
        {"pipe,name=x;urp;StarOffice.ComponentContext", "uno:pipe,name=x;urp;StarOffice.ComponentContext"},
        {"uno:pipe,name=x;urp;StarOffice.ServiceManager", "uno:pipe,name=x;urp;StarOffice.ServiceManager"},
    };
    for (const auto& [description, url] : cases)
        EXPECT_EQ(OfficeConnectionUrl(description), url) << description;
}

}  // namespace
