#include "library/listheader/changeheader.h"
#include "library/languages/frameworkclasses.h"
#include "library/languages/libraryerror.h"
#include "library/listheader/listheader.h"
#include "library/listheader/listviewwithheader.h"
#include "library/listheader/measurement.h"
#include "tests/library/languages/scopedlanguage.h"
#include "tests/library/listheader/widgettestformats.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

constexpr char Program[] = "HeaderDialogTest";

// Name, count (integer), length (real, with a unit line), code ("C").
TListHeaderFormat SampleFormat()
{
    TListHeaderFormat format = MakeFormat(2, {{12, "Név"}, {8, "Darab", "db", true, 1, 2, 1}, {10, "Hossz", "[mm]", true, 2, 2, 1}, {6, "Kód", "", true, 3}});
    TListHeaderFormatColLine& unit = format.Columns[2].Lines[1];
    unit.MeasurementID = "Length";
    unit.DefaultUnit = 3;
    unit.CurrentUnit = 3;
    return format;
}

QSettings ProgramSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Valmoro"), QString::fromLatin1(Program));
}

// Answers the next message box with its default button and hands back its text, for as
// long as the answering timer lives.
[[nodiscard]] std::unique_ptr<QTimer> AnswerNextMessageBox(QString& text)
{
    auto timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, [timer = timer.get(), &text] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                text = box->text();
                box->accept();
                timer->stop();
                return;
            }
        }
    });
    timer->start(10);
    return timer;
}

template <typename T>
T* Control(QWidget& dialog, const char* name)
{
    T* control = dialog.findChild<T*>(QString::fromLatin1(name));
    if (!control)
        qFatal("no control %s", name);
    return control;
}

} // namespace

class ChangeHeaderTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settings_;
    TListHeaderFormat format_;
    std::unique_ptr<TChangeHeaderForm> dialog_;

    void Open(const std::string& registryName = "")
    {
        dialog_ = std::make_unique<TChangeHeaderForm>(nullptr, format_, MeasuredFont(), registryName, Program);
    }

    template <typename T>
    T* Get(const char* name)
    {
        return Control<T>(*dialog_, name);
    }

    void Select(int row) { Get<QListWidget>("ColumnsList")->setCurrentRow(row); }

private slots:
    void initTestCase()
    {
        QVERIFY(settings_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
        MeasurementsLoaded = true;
        Measurements = {{"Length", {{"m", "metre", 0, 1, 0}, {"mm", "", 3, 0.001f, 0}}}};
    }

    void init()
    {
        ProgramSettings().clear();
        format_ = SampleFormat();
    }

    void cleanup() { dialog_.reset(); }

    void opensOnTheFirstColumn()
    {
        Open();
        QCOMPARE(dialog_->objectName(), QStringLiteral("ChangeHeaderForm"));
        QCOMPARE(dialog_->windowTitle(), QStringLiteral("Lista fejléc átméretezés"));
        QCOMPARE(dialog_->Current, 0);
        auto* list = Get<QListWidget>("ColumnsList");
        QCOMPARE(list->count(), 4);
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(!Get<TRadioGroup>("TitleAlignment")->isEnabled());
        QVERIFY(!Get<TRadioGroup>("DataAlignment")->isEnabled());
        QVERIFY(!Get<QPushButton>("MoveUpButton")->isEnabled());
        QVERIFY(!Get<QPushButton>("MoveDownButton")->isEnabled());
        QCOMPARE(Get<QLineEdit>("Width")->text(), QStringLiteral("12"));
        QVERIFY(Get<QLabel>("Label10")->isHidden());
        QVERIFY(Get<QComboBox>("Units")->isHidden());
        QCOMPARE(Get<QLineEdit>("FirstLine")->text(), QStringLiteral("Név"));
        QVERIFY(!Get<QLineEdit>("FirstLine")->isEnabled());
    }

    void moveButtonsFollowTheSelection()
    {
        Open();
        Select(1);
        QCOMPARE(dialog_->Current, 1);
        QVERIFY(Get<TRadioGroup>("TitleAlignment")->isEnabled());
        QVERIFY(Get<TRadioGroup>("DataAlignment")->isEnabled());
        QCOMPARE(Get<TRadioGroup>("TitleAlignment")->ItemIndex(), 2);
        QCOMPARE(Get<TRadioGroup>("DataAlignment")->ItemIndex(), 1);
        QVERIFY(!Get<QPushButton>("MoveUpButton")->isEnabled());
        QVERIFY(Get<QPushButton>("MoveDownButton")->isEnabled());
        Select(2);
        QVERIFY(Get<QPushButton>("MoveUpButton")->isEnabled());
        QVERIFY(Get<QPushButton>("MoveDownButton")->isEnabled());
        Select(3);
        QVERIFY(Get<QPushButton>("MoveUpButton")->isEnabled());
        QVERIFY(!Get<QPushButton>("MoveDownButton")->isEnabled());
    }

    void widthBelowThreeIsStoredAsThree()
    {
        Open();
        Get<QLineEdit>("Width")->setText(QStringLiteral("1"));
        Select(1);
        QCOMPARE(format_.Column(0)->Width, int16_t(3));
        Get<QLineEdit>("Width")->setText(QStringLiteral(" 25 "));
        Select(0);
        QCOMPARE(format_.Column(1)->Width, int16_t(25));
    }

    void textThatIsNoIntegerIsRejected_data()
    {
        QTest::addColumn<QString>("width");
        QTest::newRow("letters") << "abc";
        QTest::newRow("empty") << "";
        QTest::newRow("fraction") << "1.5";
        QTest::newRow("beyond 16 bits") << "70000";
    }

    void textThatIsNoIntegerIsRejected()
    {
        QFETCH(QString, width);
        Open();
        Get<QLineEdit>("Width")->setText(width);
        QVERIFY_THROWS_EXCEPTION(LibraryError, dialog_->StoreColumn());
        QCOMPARE(format_.Column(0)->Width, int16_t(12));
    }

    void rejectedWidthKeepsTheColumnSelected()
    {
        Open();
        Get<QLineEdit>("Width")->setText(QStringLiteral("abc"));
        QString message;
        auto answer = AnswerNextMessageBox(message);
        Select(2);
        QCOMPARE(message, QStringLiteral("'abc' nem érvényes egész szám"));
        QCOMPARE(dialog_->Current, 0);
        QCOMPARE(Get<QListWidget>("ColumnsList")->currentRow(), 0);
        QCOMPARE(Get<QLineEdit>("Width")->text(), QStringLiteral("abc"));

        message.clear();
        answer = AnswerNextMessageBox(message);
        Get<QPushButton>("OK")->click();
        QVERIFY(!message.isEmpty());
        QCOMPARE(dialog_->result(), 0);  // still open
        Get<QLineEdit>("Width")->setText(QStringLiteral("9"));
        Select(2);
        QCOMPARE(dialog_->Current, 2);
        QCOMPARE(format_.Column(0)->Width, int16_t(9));
    }

    void firstColumnCannotBeHidden()
    {
        Open();
        Get<QListWidget>("ColumnsList")->item(0)->setCheckState(Qt::Unchecked);
        QString message;
        const auto answer = AnswerNextMessageBox(message);
        Get<QPushButton>("OK")->click();
        QVERIFY(!message.isEmpty());
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
        QVERIFY(format_.Column(0)->Visible);
    }

    void numberGroupFollowsTheKind_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("group");
        QTest::addColumn<bool>("real");
        QTest::newRow("text") << 0 << false << false;
        QTest::newRow("integer") << 1 << true << false;
        QTest::newRow("real") << 2 << true << true;
        QTest::newRow("C") << 3 << false << false;
    }

    void numberGroupFollowsTheKind()
    {
        QFETCH(int, row);
        QFETCH(bool, group);
        QFETCH(bool, real);
        Open();
        Select(row);
        QCOMPARE(Get<QGroupBox>("NumberPropertis")->isEnabled(), group);
        QCOMPARE(Get<QCheckBox>("ShowZero")->isEnabled(), group);
        for (const char* name : {"FloatFormat", "Label6", "Precision", "Label7", "Digits"})
            QCOMPARE(Get<QWidget>(name)->isEnabled(), real);
        if (real) {
            QCOMPARE(Get<QLineEdit>("Precision")->text(), QStringLiteral("5"));
            QCOMPARE(Get<QLineEdit>("Digits")->text(), QStringLiteral("3"));
        }
    }

    void userDefinedTitleFields()
    {
        Open();
        Select(1);
        Get<QCheckBox>("UserDefined")->click();
        QVERIFY(format_.Column(1)->UserDefined);
        for (const char* name : {"FirstLine", "Label2", "SecondLine", "Label4"})
            QVERIFY(Get<QWidget>(name)->isEnabled());
        for (const char* name : {"Factor", "Label5", "Offset", "Label9"})
            QVERIFY(!Get<QWidget>(name)->isEnabled());
        Get<QLineEdit>("FirstLine")->setText(QStringLiteral("Mennyiség"));
        Select(2);
        QCOMPARE(format_.Column(1)->UserLines[0], std::string("Mennyiség"));
        QCOMPARE(format_.Column(1)->UserLines[1], std::string("db"));

        Get<QCheckBox>("UserDefined")->click();
        QVERIFY(Get<QLineEdit>("Factor")->isEnabled());
        QVERIFY(Get<QLineEdit>("Offset")->isEnabled());
        Get<QLineEdit>("Factor")->setText(QStringLiteral("1/1000"));
        Get<QLineEdit>("Offset")->setText(QStringLiteral("-273,15"));
        Select(0);
        QCOMPARE(format_.Column(2)->Factor, 0.001f);
        QCOMPARE(format_.Column(2)->Offset, -273.15f);
        Select(2);
        QCOMPARE(Get<QLineEdit>("Factor")->text(), QStringLiteral("0.001"));
        QCOMPARE(Get<QLineEdit>("Offset")->text(), QStringLiteral("-273.15"));
    }

    void cancelAfterMovingRestoresTheOrder()
    {
        const TListHeaderFormat original = format_;
        Open();
        Select(1);
        Get<QListWidget>("ColumnsList")->item(2)->setCheckState(Qt::Unchecked);
        Get<QPushButton>("MoveDownButton")->click();
        QCOMPARE(dialog_->Current, 2);
        QCOMPARE(format_.Order, std::vector<int16_t>({0, 2, 1, 3}));
        QCOMPARE(Get<QListWidget>("ColumnsList")->item(1)->checkState(), Qt::Unchecked);
        QCOMPARE(Get<QListWidget>("ColumnsList")->item(2)->checkState(), Qt::Checked);
        Get<QPushButton>("MoveUpButton")->click();
        Get<QPushButton>("MoveUpButton")->click();  // nothing moves in front of the first column
        QCOMPARE(format_.Order, std::vector<int16_t>({0, 1, 2, 3}));
        Get<QPushButton>("MoveDownButton")->click();
        Get<QLineEdit>("Width")->setText(QStringLiteral("40"));
        Select(0);
        QVERIFY(format_ != original);

        Get<QPushButton>("Cancel")->click();
        QCOMPARE(dialog_->result(), int(QDialog::Rejected));
        QVERIFY(format_ == original);
    }

    void closeBoxRestoresTheFormatToo()
    {
        const TListHeaderFormat original = format_;
        Open();
        dialog_->show();
        Select(1);
        Get<QPushButton>("MoveDownButton")->click();
        Select(0);
        QVERIFY(format_ != original);
        dialog_->close();
        QVERIFY(format_ == original);
    }

    void okWithoutRegistryNameWritesNothing()
    {
        Open();
        Get<QLineEdit>("Width")->setText(QStringLiteral("20"));
        Get<QListWidget>("ColumnsList")->item(3)->setCheckState(Qt::Unchecked);
        Get<QPushButton>("OK")->click();
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
        QCOMPARE(format_.Column(0)->Width, int16_t(20));
        QVERIFY(format_.Column(0)->Visible);
        QVERIFY(!format_.Column(3)->Visible);
        QVERIFY(ProgramSettings().allKeys().isEmpty());
    }

    void okWithRegistryNameStoresTheFormat()
    {
        Open("Lista");
        Select(1);
        Get<QPushButton>("MoveDownButton")->click();
        Get<QPushButton>("OK")->click();
        QCOMPARE(ProgramSettings().value("Headers/Lista/Order").toString(), QStringLiteral("1,3,2,4"));
        QCOMPARE(ProgramSettings().value("Headers/Lista/1").toString(), QStringLiteral("12lls"));
    }

    void unitListChoosesTheSecondLinesUnit()
    {
        Open();
        Select(2);
        auto* units = Get<QComboBox>("Units");
        QVERIFY(!units->isHidden());
        QVERIFY(!Get<QLabel>("Label10")->isHidden());
        QCOMPARE(units->count(), 2);
        QCOMPARE(units->itemText(0), QStringLiteral("m (metre)"));
        QCOMPARE(units->currentIndex(), 1);
        units->setCurrentIndex(0);
        emit units->activated(0);
        QCOMPARE(format_.Column(2)->Lines[1].Text, std::string("[m]"));
        QCOMPARE(format_.Column(2)->Lines[1].CurrentUnit, int16_t(0));
        Select(1);
        QVERIFY(units->isHidden());
    }

    void dialogIsTranslatedBeforeItIsFilled()
    {
        const ScopedLanguage language;
        TLanguageForm form;
        form.Name = "ChangeHeaderForm";
        form.PropertyNames = {"Caption"};
        form.PropertyValues = {"Column header"};
        TLanguageFormItem up;
        up.Name = "MoveUpButton";
        up.Type = "TButton";
        up.PropertyNames = {"Caption"};
        up.PropertyValues = {"Up"};
        TLanguageFormItem alignment;
        alignment.Name = "TitleAlignment";
        alignment.Type = "TRadioGroup";
        alignment.PropertyNames = {"Caption", "Items.Strings", "Items.Strings", "Items.Strings"};
        alignment.PropertyValues = {"Title alignment", "Left", "Right", "Centre"};
        form.Items = {up, alignment};
        language.Language().Forms = {form};
        Open();
        QCOMPARE(dialog_->windowTitle(), QStringLiteral("Column header"));
        QCOMPARE(Get<QPushButton>("MoveUpButton")->text(), QStringLiteral("Up"));
        QCOMPARE(Get<TRadioGroup>("TitleAlignment")->title(), QStringLiteral("Title alignment"));
        QCOMPARE(Get<TRadioGroup>("TitleAlignment")->Items()[2]->text(), QStringLiteral("Centre"));
    }

    void emptyFormatLeavesOnlyTheButtons()
    {
        format_ = TListHeaderFormat();
        Open();
        QCOMPARE(dialog_->Current, -1);
        QVERIFY(!Get<QListWidget>("ColumnsList")->isEnabled());
        QVERIFY(!Get<QLineEdit>("Width")->isEnabled());
        QVERIFY(Get<QPushButton>("OK")->isEnabled());
        Get<QPushButton>("OK")->click();
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
    }

    void headerRunsTheDialogAndRebuildsItsList()
    {
        QWidget window;
        auto* header = new TListHeader(&window);
        header->setObjectName(QStringLiteral("Header1"));
        header->setFont(MeasuredFont());
        header->HeaderFormat = SampleFormat();
        header->StyleChanged();
        auto* list = new TListViewWithHeader(&window);
        list->SetHeaderName("Header1");
        header->LoadFromRegistry(Program);
        new QTreeWidgetItem(list, {QStringLiteral("a")});
        header->SetScrollPos(25);

        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<TChangeHeaderForm*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialog->findChild<QListWidget*>(QStringLiteral("ColumnsList"))->item(1)->setCheckState(Qt::Unchecked);
            dialog->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        });
        // Should the dialog not have been found, this closes it.
        QTimer::singleShot(5000, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        QVERIFY(header->ChangeColumnsPropertis());
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(list->columnCount(), 3);
        QCOMPARE(header->ScrollPos, int16_t(0));
        QCOMPARE(ProgramSettings().value("FormMaximalization/ChangeHeaderForm").toInt(), 0);
        QVERIFY(ProgramSettings().contains("FormPosition/ChangeHeaderForm"));
    }

    void generalNumbers_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("one") << 1.0 << "1";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("thousandth") << 0.001 << "0.001";
        QTest::newRow("smallest fixed") << 0.00001 << "0.00001";
        QTest::newRow("tiny") << 1e-7 << "1E-7";
        QTest::newRow("five digits") << 12345.0 << "12345";
        QTest::newRow("six digits") << 123456.0 << "1.2346E5";
        QTest::newRow("negative") << -273.15 << "-273.15";
        QTest::newRow("rounded") << 2.0 / 3.0 << "0.66667";
    }

    void generalNumbers()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(GeneralNumberText(value, 5)), text);
    }

    void helpViewers()
    {
        const THelpCall html = HelpCall(QStringLiteral("C:/Program/Korvex.chm"), 111);
        QVERIFY(!html.Classic);
        QCOMPARE(html.Program, QStringLiteral("HH.exe"));
        QCOMPARE(html.Arguments, QStringList({"-mapid", "111", "ms-its:C:/Program/Korvex.chm"}));
        QVERIFY(HelpCall(QStringLiteral("C:/Program/KORVEX.HLP"), 111).Classic);
    }
};

QTEST_MAIN(ChangeHeaderTest)
#include "changeheader_test.moc"
