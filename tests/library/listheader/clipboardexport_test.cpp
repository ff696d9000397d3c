#include "library/listheader/clipboardexport.h"
#include "library/listheader/listheader.h"
#include "library/listheader/listviewwithheader.h"
#include "library/listheader/resources.h"
#include "tests/library/listheader/widgettestformats.h"
#include "library/listheader/sharedxmldocument.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include <string>
#include <vector>

namespace {

const std::string Prolog =
    "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fnil Microsoft Sans Serif;}{\\f1\\froman\\fcharset2 Symbol;}"
    "{\\f2\\fswiss\\fcharset1 Microsoft Sans Serif;}{\\f3\\froman\\fprq2\\fcharset238{\\*\\fname Times New Roman;}"
    "Times New Roman CE;}}\r\n"
    "{\\colortbl\\red0\\green0\\blue0;}\\deflang1038\\pard\\plain\\f3\\fs20 \\lang1038 \\trowd \\trgaph71\\trleft-71 \r\n";

const std::string RowsStart = "\\pard\\plain \\f3\\fs20\\lang1038 \\intbl ";
const std::string RtfEnd = "\\pard\\plain \\f3\\fs20\\lang1038 \\par ";

const std::string WorkbookStart =
    "<?xml version=\"1.0\"?><Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
    "xmlns:o=\"urn:schemas-microsoft-com:office:office\" xmlns:x=\"urn:schemas-microsoft-com:office:excel\" "
    "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\" xmlns:html=\"http://www.w3.org/TR/REC-html40\">"
    "<Worksheet ss:Name=\"Export\"><Table>";

std::string Text(const QByteArray& utf16)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(utf16.constData()), utf16.size() / 2).toStdString();
}

std::string Bytes(const QByteArray& bytes)
{
    return bytes.toStdString();
}

TListHeaderFormatCol Titled(const char* title)
{
    TListHeaderFormatCol column;
    column.Lines[0].Text = title;
    return column;
}

} // namespace

class ClipboardExportTest : public QObject {
    Q_OBJECT

private slots:
    void cellBoundariesSkipHiddenColumns()
    {
        TVmdClipboardStream out(nullptr);
        ExportTable(out, MakeFormat(1, {{10, "A"}, {5, "B", "", false}, {8, "C"}}), nullptr);
        QCOMPARE(out.RtfStream, Prolog + "\\cellx1000\\cellx1800" + RowsStart + "A\\cell C\\cell \\row\r\n" + RtfEnd);
        QCOMPARE(Text(out.TextStream), std::string("A\tC\t\r\n"));
        const TClipboardForms forms = out.Forms();
        QCOMPARE(Bytes(forms.Rtf), out.RtfStream + "}" + std::string(1, '\0'));
        QCOMPARE(forms.Text.size(), out.TextStream.size() + 2);
        QVERIFY(forms.Xml.isEmpty());
    }

    void titlesWithMarkup_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("rtf");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("marked");
        QTest::newRow("subscript") << "H\\d2\\pO" << "H{\\sub 2}O" << "H2O" << "H<Sub>2</Sub>O";
        QTest::newRow("superscript") << "x\\u2" << "x{\\super 2}" << "x2" << "x<Sup>2</Sup>";
        QTest::newRow("sub then super") << "a\\d1\\u2" << "a{\\sub 1}{\\super 2}" << "a12" << "a<Sub>1</Sub><Sup>2</Sup>";
        QTest::newRow("symbol") << "\\fW\\p cm" << "{\\f1 W} cm" << "W cm" << "W cm";
        QTest::newRow("header end") << "kg\\;/m" << "kg" << "kg" << "kg";
        QTest::newRow("literal backslash") << "a\\\\b" << "a\\\\b" << "a\\b" << "a\\b";
        QTest::newRow("accented") << "Tömeg" << "T\\u246?meg" << "Tömeg" << "Tömeg";
    }

    void titlesWithMarkup()
    {
        QFETCH(QString, title);
        QFETCH(QString, rtf);
        QFETCH(QString, plain);
        QFETCH(QString, marked);
        const TListHeaderFormatCol column = Titled(title.toUtf8().constData());
        QCOMPARE(QString::fromStdString(RtfTitle(column, 0, 1)), rtf);
        const auto [plainText, markedText] = XmlTitle(column, 0);
        QCOMPARE(QString::fromStdString(plainText), plain);
        QCOMPARE(QString::fromStdString(markedText), marked);
    }

    void rtfEscaping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("rtf");
        QTest::newRow("ascii") << "abc 1,5" << "abc 1,5";
        QTest::newRow("o double acute") << "ő" << "\\u337?";
        QTest::newRow("beyond the BMP") << "a😀" << "a\\u55357?\\u56832?";
        QTest::newRow("control characters of RTF") << "C:\\temp{1}" << "C:\\\\temp\\{1\\}";
    }

    void rtfEscaping()
    {
        QFETCH(QString, text);
        QFETCH(QString, rtf);
        QCOMPARE(QString::fromStdString(RtfEscape(text.toStdString())), rtf);
    }

    void numberCellTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("number");
        QTest::addColumn<QString>("value");
        QTest::newRow("decimal comma") << "1,5" << true << "1.5";
        QTest::newRow("space") << "1 234" << false << "";
        QTest::newRow("slash") << "12/3" << false << "";
        QTest::newRow("trailing letters") << "12abc" << false << "";
        QTest::newRow("dash") << "-" << false << "";
        QTest::newRow("ellipsis") << "1...2" << false << "";
        QTest::newRow("empty") << "" << true << "";
        QTest::newRow("exponent") << "-3.5e2" << true << "-3.5e2";
        QTest::newRow("point first") << ".5" << true << ".5";
        QTest::newRow("point last") << "5." << true << "5.";
        QTest::newRow("bare exponent") << "1e" << false << "";
        QTest::newRow("two commas") << "1,2,3" << false << "";
        QTest::newRow("infinity") << "inf" << false << "";
        QTest::newRow("not a number") << "nan" << false << "";
        QTest::newRow("hexadecimal") << "0x10" << false << "";
    }

    void numberCellTexts()
    {
        QFETCH(QString, text);
        QFETCH(bool, number);
        QFETCH(QString, value);
        const auto [isNumber, numberText] = NumberCellText(text.toStdString());
        QCOMPARE(isNumber, number);
        QCOMPARE(QString::fromStdString(numberText), value);
    }

    void wholeTableInAllThreeForms()
    {
        TSharedXmlDocument document;
        TVmdClipboardStream out(&document);
        const TListHeaderFormat format = MakeFormat(1, {{10, "Név"}, {6, "H\\d2\\pO", "", true, 2}, {5, "Rejtett", "", false, 1}, {8, "Db", "", true, 1}});
        const std::vector<TExportItem> items{
            {"\\greenOK", {"1,5", "1 234"}},
            {"-", {"12/3", "12abc"}},
            {"Rövid", {"-"}},
            {"Utolsó", {"", "7"}},
        };
        ExportTable(out, format, &items);
        const TClipboardForms forms = out.Forms();
        QVERIFY(!document.Active());

        QCOMPARE(Bytes(forms.Rtf),
                 Prolog + "\\cellx1000\\cellx1600\\cellx2400" + RowsStart
                     + "N\\u233?v\\cell H{\\sub 2}O\\cell Db\\cell \\row\r\n"
                     + "OK\\cell 1,5\\cell 1 234\\cell \\row\r\n"
                     + "-\\cell 12/3\\cell 12abc\\cell \\row\r\n"
                     + "R\\u246?vid\\cell \\cell \\row\r\n"
                     + "Utols\\u243?\\cell \\cell 7\\cell \\row\r\n" + RtfEnd + "}" + std::string(1, '\0'));
        QCOMPARE(Text(forms.Text.chopped(2)),
                 std::string("Név\tH2O\tDb\t\r\nOK\t1,5\t1 234\t\r\n-\t12/3\t12abc\t\r\nRövid\t\t\r\nUtolsó\t\t7\t\r\n"));
        QCOMPARE(forms.Text.right(2), QByteArray(2, '\0'));

        const std::string cell = "<Cell><Data ss:Type=\"String\">";
        const std::string number = "<Cell><Data ss:Type=\"Number\">";
        const std::string end = "</Data></Cell>";
        const std::string emptyNumber = "<Cell><Data ss:Type=\"Number\"/></Cell>";
        QCOMPARE(Bytes(forms.Xml),
                 WorkbookStart + "<Row>" + cell + "Név" + end
                     + "<Cell><ss:Data ss:Type=\"String\" xmlns=\"http://www.w3.org/TR/REC-html40\">H<Sub>2</Sub>O</ss:Data></Cell>"
                     + cell + "Db" + end + "</Row>"
                     + "<Row>" + cell + "OK" + end + number + "1.5" + end + cell + "1 234" + end + "</Row>"
                     + "<Row>" + cell + "-" + end + cell + "12/3" + end + cell + "12abc" + end + "</Row>"
                     + "<Row>" + cell + "Rövid" + end + emptyNumber + "</Row>"
                     + "<Row>" + cell + "Utolsó" + end + emptyNumber + number + "7" + end + "</Row>"
                     + "<Row/></Table></Worksheet></Workbook>" + std::string(1, '\0'));
    }

    void shortItemsEndTheirRowEarly()
    {
        TVmdClipboardStream out(nullptr);
        const std::vector<TExportItem> items{{"a", {}}, {"b", {"c"}}};
        ExportTable(out, MakeFormat(1, {{4, "X"}, {4, "Y"}}), &items);
        QCOMPARE(Text(out.TextStream), std::string("X\tY\t\r\na\t\r\nb\tc\t\r\n"));
    }

    void xmlFormIsMadeReadyForTheClipboard()
    {
        QCOMPARE(XmlSpreadsheetText("<a xmlns=\"\">&lt;Sub&gt;1&lt;/Sub&gt;&lt;Sup&gt;2&lt;/Sup&gt;&lt;b&gt;</a>"),
                 std::string("<?xml version=\"1.0\"?><a >") + "<Sub>1</Sub><Sup>2</Sup>&lt;b&gt;</a>");
        QCOMPARE(XmlSpreadsheetText("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>"),
                 std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>"));
    }

    void clipboardHoldsTheSameBytes()
    {
        TSharedXmlDocument document;
        TVmdClipboardStream out(&document);
        const std::vector<TExportItem> items{{"ő", {"1,5"}}};
        ExportTable(out, MakeFormat(1, {{10, "H\\d2\\pO"}, {6, "Db", "", true, 1}}), &items);
        TSharedXmlDocument copyDocument;
        const TClipboardForms expected = [&] {
            // The same export again gives the bytes Finish is to place.
            TVmdClipboardStream again(&copyDocument);
            ExportTable(again, MakeFormat(1, {{10, "H\\d2\\pO"}, {6, "Db", "", true, 1}}), &items);
            return again.Forms();
        }();
        out.Finish();

        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        QVERIFY(mime);
        QCOMPARE(mime->data(QStringLiteral("Rich Text Format")), expected.Rtf);
        QCOMPARE(mime->data(QStringLiteral("XML Spreadsheet")), expected.Xml);
        QCOMPARE(mime->text(), QString::fromUtf16(reinterpret_cast<const char16_t*>(expected.Text.constData()),
                                                  expected.Text.size() / 2 - 1));
#ifndef Q_OS_WIN
        QCOMPARE(mime->data(QStringLiteral("text/rtf")), expected.Rtf.chopped(1));
#endif
        QVERIFY(expected.Rtf.contains("\\u337?\\cell 1,5\\cell \\row"));
    }

    void headerExportsItsList()
    {
        QWidget window;
        auto* header = new TListHeader(&window);
        header->setObjectName(QStringLiteral("Header1"));
        header->HeaderFormat = MakeFormat(2, {{10, "Név", "\\;"}, {8, "Érték", "[kg]", true, 1}});
        auto* list = new TListViewWithHeader(&window);
        list->SetHeaderName("Header1");
        new QTreeWidgetItem(list, {QStringLiteral("\\redAlma"), QStringLiteral("3")});
        new QTreeWidgetItem(list, {QStringLiteral("Körte"), QStringLiteral("-")});

        TSharedXmlDocument document;
        SharedXMLDocument = &document;
        header->PopupMenu()->actions()[1]->trigger();
        SharedXMLDocument = nullptr;

        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(mime->text(), QStringLiteral("Név\tÉrték\t\r\n\t[kg]\t\r\nAlma\t3\t\r\nKörte\t\t\r\n"));
        const QByteArray xml = mime->data(QStringLiteral("XML Spreadsheet"));
        QVERIFY(xml.contains("<Cell><Data ss:Type=\"Number\">3</Data></Cell>"));
        QVERIFY(xml.contains("<Cell><Data ss:Type=\"Number\"/></Cell>"));
        QVERIFY(mime->data(QStringLiteral("Rich Text Format")).contains("Alma\\cell 3\\cell \\row\r\n"));
    }
};

QTEST_MAIN(ClipboardExportTest)
#include "clipboardexport_test.moc"
