#include "library/listheader/listheader.h"
#include "library/listheader/listviewwithheader.h"
#include "library/listheader/resources.h"
#include "tests/library/languages/scopedlanguage.h"
#include "tests/library/listheader/widgettestformats.h"
#include "library/listheader/sharedxmldocument.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

QImage Render(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}

// A header of the measured font showing a format.
std::unique_ptr<TListHeader> Header(const TListHeaderFormat& format, int width = 400)
{
    auto header = std::make_unique<TListHeader>();
    header->setFont(MeasuredFont());
    header->HeaderFormat = format;
    header->StyleChanged();
    header->resize(width, header->height());
    return header;
}

// A subclass of its own is not "TListHeader" for the list's lookup.
class DerivedHeader : public TListHeader {
    Q_OBJECT
public:
    using TListHeader::TListHeader;
};

} // namespace

class ListHeaderTest : public QObject {
    Q_OBJECT

private slots:
    void measuredFontIsAsExpected()
    {
        const QFontMetrics metrics(MeasuredFont());
        QCOMPARE(metrics.height(), 13);
        QCOMPARE(metrics.leading(), 0);
        QCOMPARE(metrics.averageCharWidth(), 6);
    }

    void heightFollowsRowsAndFont()
    {
        const auto header = Header(MakeFormat(2, {{10, "Hossz", "[mm]"}}));
        QCOMPARE(header->LineHeight, int16_t(13));
        QCOMPARE(header->CharWidth, int16_t(6));
        QCOMPARE(header->ExternalLeading, int16_t(0));
        QCOMPARE(header->height(), 30);

        header->HeaderFormat.Rows = 1;
        header->StyleChanged();
        QCOMPARE(header->height(), 17);

        // A new font recomputes the metrics by itself.
        QFont larger = MeasuredFont();
        larger.setPixelSize(16);
        header->SetFont(larger);
        QCOMPARE(header->LineHeight, int16_t(QFontMetrics(larger).height()));
        QCOMPARE(header->height(), header->LineHeight + 4);
    }

    void columnsTakeTheirWidthInHeaderAndList()
    {
        QWidget window;
        auto* header = new TListHeader(&window);
        header->setObjectName(QStringLiteral("Header1"));
        header->setFont(MeasuredFont());
        header->HeaderFormat = MakeFormat(1, {{10, "Első", "", true, 0, 0, 0},
                                              {5, "Rejtett", "", false},
                                              {8, "Harmadik", "", true, 1, 0, 1}});
        header->StyleChanged();
        header->resize(200, header->height());
        auto* list = new TListViewWithHeader(&window);
        list->SetHeaderName("Header1");
        QCOMPARE(list->HeaderName, std::string("Header1"));
        QCOMPARE(list->Header.data(), header);
        QCOMPARE(header->List.data(), list);

        QCOMPARE(list->columnCount(), 2);
        QCOMPARE(list->columnWidth(0), 60);
        QCOMPARE(list->columnWidth(1), 48);
        QCOMPARE(list->ColumnAlignment(0), Qt::Alignment(Qt::AlignLeft));
        QCOMPARE(list->ColumnAlignment(1), Qt::Alignment(Qt::AlignRight));

        // The first column's raised frame ends at 59; the hidden one takes no space, so the
        // third starts at 60.
        const QImage image = Render(*header);
        QCOMPARE(image.pixelColor(59, 8), QColor(Qt::black));
        QCOMPARE(image.pixelColor(60, 8), QColor(Qt::white));
        QCOMPARE(image.pixelColor(107, 8), QColor(Qt::black));
        QCOMPARE(image.pixelColor(0, 8), QColor(Qt::white));
    }

    void textAfterTheHeaderEndMarkIsNotDrawn()
    {
        const auto shortened = Header(MakeFormat(1, {{10, "kg\\;/m"}}));
        const auto plain = Header(MakeFormat(1, {{10, "kg"}}));
        const auto full = Header(MakeFormat(1, {{10, "kg/m"}}));
        QCOMPARE(Render(*shortened), Render(*plain));
        QVERIFY(Render(*full) != Render(*plain));
    }

    void leftAlignedTitleIsIndentedByOneCharacter()
    {
        const auto header = Header(MakeFormat(1, {{10, "H"}}));
        const QImage image = Render(*header);
        const QColor background = header->palette().color(QPalette::Button);
        int leftmost = -1;
        for (int x = 1; x < 58 && leftmost < 0; ++x) {
            for (int y = 2; y < header->height() - 2; ++y) {
                if (image.pixelColor(x, y) != background) {
                    leftmost = x;
                    break;
                }
            }
        }
        // Text rectangle from 2, one average character width (6) in, plus the glyph's bearing.
        QVERIFY2(leftmost >= 8 && leftmost <= 10, qPrintable(QString::number(leftmost)));
    }

    void scrollingTheListMovesTheHeader()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* header = new TListHeader(&window);
        header->setObjectName(QStringLiteral("Header1"));
        header->setFont(MeasuredFont());
        header->HeaderFormat = MakeFormat(1, {{10, "A"}, {20, "B"}, {20, "C"}, {20, "D"}});
        header->StyleChanged();
        auto* list = new TListViewWithHeader(&window);
        layout->addWidget(header);
        layout->addWidget(list);
        list->SetHeaderName("Header1");
        for (int row = 0; row < 5; ++row)
            new QTreeWidgetItem(list, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
        window.resize(200, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(list->horizontalScrollBar()->maximum() >= 40);

        list->verticalScrollBar()->setValue(1);
        QCOMPARE(header->ScrollPos, int16_t(0));
        list->horizontalScrollBar()->setValue(40);
        QCOMPARE(header->ScrollPos, int16_t(40));

        // The first column's left edge is drawn at -40: its right edge moves from 59 to 19.
        const QImage image = Render(*header);
        QCOMPARE(image.pixelColor(19, 8), QColor(Qt::black));
        QCOMPARE(image.pixelColor(20, 8), QColor(Qt::white));
    }

    void headerNameMustNameAListHeader()
    {
        QWidget window;
        auto* label = new QLabel(&window);
        label->setObjectName(QStringLiteral("Label1"));
        auto* derived = new DerivedHeader(&window);
        derived->setObjectName(QStringLiteral("Derived"));
        auto* header = new TListHeader(&window);
        header->setObjectName(QStringLiteral("Header1"));
        auto* list = new TListViewWithHeader(&window);

        list->SetHeaderName("Label1");
        QCOMPARE(list->HeaderName, std::string());
        QVERIFY(!list->Header);
        list->SetHeaderName("Derived");
        QCOMPARE(list->HeaderName, std::string());
        QVERIFY(!list->Header);
        list->SetHeaderName("header1");
        QCOMPARE(list->HeaderName, std::string());

        list->SetHeaderName("Header1");
        QCOMPARE(list->HeaderName, std::string("Header1"));
        // A later name that is no header leaves the link as it was, with an empty name.
        list->SetHeaderName("Label1");
        QCOMPARE(list->HeaderName, std::string());
        QCOMPARE(list->Header.data(), header);
        QCOMPARE(list->property("HeaderName").toString(), QString());
    }

    void colourMarks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("red") << "\\redAlarm" << "Alarm";
        QTest::newRow("green") << "\\greenOK" << "OK";
        QTest::newRow("blue") << "\\blue" << "";
        QTest::newRow("not leading") << "x\\red" << "x\\red";
        QTest::newRow("only one mark") << "\\red\\greenX" << "\\greenX";
        QTest::newRow("other code") << "\\u2" << "\\u2";
    }

    void colourMarks()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(TListHeader::ColoredStringWithoutColor(text.toStdString())), expected);
    }

    void contextMenuCaptionsAndClick()
    {
        {
            TListHeader header;
            const auto actions = header.PopupMenu()->actions();
            QCOMPARE(actions.size(), 2);
            QCOMPARE(actions[0]->text(), QStringLiteral("Fejléc átméretezés..."));
            QCOMPARE(actions[1]->text(), QStringLiteral("Export"));

            QSignalSpy clicks(&header, &TListHeader::OnClick);
            actions[0]->trigger();
            QCOMPARE(clicks.count(), 1);
            header.resize(100, 30);
            QTest::mouseClick(&header, Qt::LeftButton, {}, QPoint(10, 10));
            QCOMPARE(clicks.count(), 2);
        }
        const ScopedLanguage language({{"IDS_TITLEMODIFYMENUTITLE", "Resize header..."}, {"IDS_TABLEEXPORTMENUTITLE", ""}});
        TListHeader header;
        QCOMPARE(header.PopupMenu()->actions()[0]->text(), QStringLiteral("Resize header..."));
        QCOMPARE(header.PopupMenu()->actions()[1]->text(), QStringLiteral("Export"));
    }

    void formatNameLoadsTheResource()
    {
        TSharedXmlDocument document;
        SharedXMLDocument = &document;
        TListHeader header;
        header.setFont(MeasuredFont());
        header.setProperty("FormatName", QStringLiteral("widgets"));
        SharedXMLDocument = nullptr;
        QCOMPARE(header.FormatName, std::string("widgets"));
        QCOMPARE(header.HeaderFormat.Count, int16_t(3));
        QCOMPARE(header.HeaderFormat.Rows, int16_t(2));
        QCOMPARE(header.HeaderFormat.Column(1)->Title(0), std::string("H\\d2\\pO"));
        QCOMPARE(header.height(), 30);

        header.SetFormatName("NoSuchFormat");
        QCOMPARE(header.HeaderFormat.Count, int16_t(0));
        QCOMPARE(header.height(), 17);
    }

    void symbolCharactersShowAsGreekLetters()
    {
        QCOMPARE(SymbolToUnicode(QStringLiteral("mW ab")), QStringLiteral("μΩ αβ"));
        QCOMPARE(SymbolToUnicode(QStringLiteral("1°")), QStringLiteral("1°"));
    }
};

QTEST_MAIN(ListHeaderTest)
#include "listheader_test.moc"
