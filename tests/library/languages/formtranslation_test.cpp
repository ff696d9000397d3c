#include "library/languages/formtranslation.h"
#include "library/languages/frameworkclasses.h"
#include "tests/library/languages/scopedlanguage.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

namespace {

TLanguageFormItem Item(const char* name, const char* type,
                       std::initializer_list<std::pair<const char*, const char*>> properties)
{
    TLanguageFormItem item;
    item.Name = name;
    item.Type = type;
    for (const auto& [property, value] : properties) {
        item.PropertyNames.emplace_back(property);
        item.PropertyValues.emplace_back(value);
    }
    return item;
}

TLanguageForm Form(const char* name, const char* caption, std::vector<TLanguageFormItem> items = {})
{
    TLanguageForm form;
    form.Name = name;
    form.PropertyNames = {"Caption"};
    form.PropertyValues = {caption};
    form.Items = std::move(items);
    return form;
}

// A small window of the kinds the tests name, laid out as a designer would: some controls
// on a panel, one combo box of three items.
struct Window {
    QDialog form;
    QFrame* panel = new QFrame(&form);
    QPushButton* button = new QPushButton(QStringLiteral("OK"), panel);
    QLabel* label = new QLabel(QStringLiteral("Név:"), panel);
    QLineEdit* edit = new QLineEdit(panel);
    QLabel* editLabel = new QLabel(QStringLiteral("Érték:"), &form);
    QComboBox* combo = new QComboBox(&form);
    QTreeWidget* list = new QTreeWidget(&form);
    TRadioGroup* group = new TRadioGroup(&form);

    explicit Window(const char* name)
    {
        form.setObjectName(QString::fromLatin1(name));
        form.setWindowTitle(QStringLiteral("Eredeti"));
        panel->setObjectName(QStringLiteral("Panel1"));
        button->setObjectName(QStringLiteral("OKButton"));
        label->setObjectName(QStringLiteral("NameLabel"));
        edit->setObjectName(QStringLiteral("ValueEdit"));
        editLabel->setObjectName(QStringLiteral("ValueLabel"));
        editLabel->setBuddy(edit);
        combo->setObjectName(QStringLiteral("Kinds"));
        combo->addItems({QStringLiteral("egy"), QStringLiteral("kettő"), QStringLiteral("három")});
        list->setObjectName(QStringLiteral("Items"));
        list->setColumnCount(2);
        group->setObjectName(QStringLiteral("Alignment"));
        new QRadioButton(QStringLiteral("Balra"), group);
        new QRadioButton(QStringLiteral("Jobbra"), group);
    }
};

} // namespace

class FormTranslationTest : public QObject {
    Q_OBJECT

private slots:
    void disabledFormsLeaveTheWindowAlone()
    {
        const ScopedLanguage language;
        language.Language().FormsEnabled = 0;
        language.Language().Charset = 238;
        language.Language().Forms = {Form("Options", "Beállítások", {Item("OKButton", "TButton", {{"Caption", "Rendben"}})})};
        Window window("Options");
        TranslateForm(window.form);
        QCOMPARE(window.form.windowTitle(), QStringLiteral("Eredeti"));
        QCOMPARE(window.button->text(), QStringLiteral("OK"));
        QVERIFY(!window.form.property(FontCharsetProperty).isValid());
    }

    void numberedWindowFallsBackToItsBaseName_data()
    {
        QTest::addColumn<QString>("windowName");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Options_12") << "Options_12" << "Beállítások";
        QTest::newRow("Options12") << "Options12" << "Eredeti";
        QTest::newRow("exact match first") << "Options_1" << "Első";
    }

    void numberedWindowFallsBackToItsBaseName()
    {
        QFETCH(QString, windowName);
        QFETCH(QString, caption);
        const ScopedLanguage language;
        language.Language().Forms = {Form("Options", "Beállítások"), Form("Options_1", "Első")};
        Window window("");
        window.form.setObjectName(windowName);
        TranslateForm(window.form);
        QCOMPARE(window.form.windowTitle(), caption);
    }

    void charsetGoesToTheWindowAndToButtonsButNotToLabels()
    {
        const ScopedLanguage language;
        language.Language().Charset = 238;
        language.Language().Forms = {Form("Options", "Beállítások",
                                          {Item("OKButton", "TButton", {{"Caption", "Rendben"}, {"Hint", "Elfogadja"}}),
                                           Item("NameLabel", "TLabel", {{"Caption", "Megnevezés:"}}),
                                           Item("ValueEdit", "TLabeledEdit", {{"EditLabel.Caption", "Szám:"}}),
                                           Item("Kinds", "TNoSuchClass", {{"Text", "kettő"}})})};
        Window window("Options");
        TranslateForm(window.form);
        QCOMPARE(window.form.windowTitle(), QStringLiteral("Beállítások"));
        QCOMPARE(window.form.property(FontCharsetProperty).toInt(), 238);
        QCOMPARE(window.button->text(), QStringLiteral("Rendben"));
        QCOMPARE(window.button->toolTip(), QStringLiteral("Elfogadja"));
        QCOMPARE(window.button->property(FontCharsetProperty).toInt(), 238);
        QCOMPARE(window.label->text(), QStringLiteral("Megnevezés:"));
        QVERIFY(!window.label->property(FontCharsetProperty).isValid());
        QCOMPARE(window.editLabel->text(), QStringLiteral("Szám:"));
        QVERIFY(!window.edit->property(FontCharsetProperty).isValid());
        // A type outside the table changes nothing, the font's character set included.
        QCOMPARE(window.combo->currentText(), QStringLiteral("egy"));
        QVERIFY(!window.combo->property(FontCharsetProperty).isValid());
    }

    void withoutCharsetNoFontChanges()
    {
        const ScopedLanguage language;
        language.Language().Forms = {Form("Options", "Beállítások", {Item("OKButton", "TButton", {{"Caption", "Rendben"}})})};
        Window window("Options");
        TranslateForm(window.form);
        QCOMPARE(window.button->text(), QStringLiteral("Rendben"));
        QVERIFY(!window.form.property(FontCharsetProperty).isValid());
        QVERIFY(!window.button->property(FontCharsetProperty).isValid());
    }

    void itemsStringsReplaceExistingItemsInOrder()
    {
        const ScopedLanguage language;
        language.Language().Forms = {Form("Options", "Beállítások",
                                          {Item("Kinds", "TComboBox", {{"Items.Strings", "one"}, {"Hint", "Fajta"}, {"Items.Strings", "two"}}),
                                           Item("Alignment", "TRadioGroup",
                                                {{"Caption", "Igazítás"}, {"Items.Strings", "Left"}, {"Items.Strings", "Right"}, {"Items.Strings", "Centre"}}),
                                           Item("Items", "TListView",
                                                {{"Columns.item.Caption", "Name"}, {"Columns.item.Caption", "Value"}, {"Columns.item.Caption", "None"}}),
                                           Item("Panel1", "TPanel", {{"Caption", "Panel"}})})};
        Window window("Options");
        TranslateForm(window.form);
        QCOMPARE(window.combo->count(), 3);
        QCOMPARE(window.combo->itemText(0), QStringLiteral("one"));
        QCOMPARE(window.combo->itemText(1), QStringLiteral("two"));
        QCOMPARE(window.combo->itemText(2), QStringLiteral("három"));
        QCOMPARE(window.combo->toolTip(), QStringLiteral("Fajta"));
        QCOMPARE(window.group->title(), QStringLiteral("Igazítás"));
        QCOMPARE(window.group->Items().size(), std::size_t(2));
        QCOMPARE(window.group->Items()[0]->text(), QStringLiteral("Left"));
        QCOMPARE(window.group->Items()[1]->text(), QStringLiteral("Right"));
        QCOMPARE(window.list->columnCount(), 2);
        QCOMPARE(window.list->headerItem()->text(0), QStringLiteral("Name"));
        QCOMPARE(window.list->headerItem()->text(1), QStringLiteral("Value"));
        QCOMPARE(window.panel->property("Caption").toString(), QStringLiteral("Panel"));
    }

    void propertyNamesAndKindsAreExact()
    {
        const ScopedLanguage language;
        language.Language().Charset = 238;
        language.Language().Forms = {Form("Options", "Beállítások",
                                          {Item("OKButton", "TButton", {{"caption", "kisbetűs"}}),
                                           Item("NameLabel", "TButton", {{"Caption", "gomb"}}),
                                           Item("Missing", "TButton", {{"Caption", "nincs"}})})};
        Window window("Options");
        TranslateForm(window.form);
        QCOMPARE(window.button->text(), QStringLiteral("OK"));
        QCOMPARE(window.button->property(FontCharsetProperty).toInt(), 238);
        // A label is not of the button kind: no text, no character set.
        QCOMPARE(window.label->text(), QStringLiteral("Név:"));
        QVERIFY(!window.label->property(FontCharsetProperty).isValid());
    }

    // Classes that share a Qt class are told apart: an entry for one never writes into
    // the other (a text label entry would wipe a picture label's picture).
    void entriesApplyOnlyToTheirExactClass()
    {
        Window window("Options");
        auto* toolBar = new QToolBar(&window.form);
        QToolButton* toolButton = new QToolButton(toolBar);
        toolButton->setObjectName(QStringLiteral("ToolButton1"));
        toolButton->setText(QStringLiteral("Eszköz"));
        toolBar->addWidget(toolButton);
        QPixmap pixmap(4, 4);
        pixmap.fill(Qt::red);
        window.label->setPixmap(pixmap);
        auto* menu = new QMenu(&window.form);
        auto* action = new QAction(QStringLiteral("Save"), &window.form);
        action->setObjectName(QStringLiteral("SaveAction"));
        menu->addAction(action);
        const auto translate = [&](std::vector<TLanguageFormItem> items) {
            const ScopedLanguage language;
            language.Language().Charset = 238;
            language.Language().Forms = {Form("Options", "Beállítások", std::move(items))};
            TranslateForm(window.form);
        };

        translate({Item("ToolButton1", "TSpeedButton", {{"Caption", "gyors"}}),
                   Item("NameLabel", "TLabel", {{"Caption", "felirat"}}),
                   Item("ValueEdit", "TEdit", {{"Text", "szerkesztő"}}),
                   Item("SaveAction", "TAction", {{"Caption", "művelet"}})});
        QCOMPARE(toolButton->text(), QStringLiteral("Eszköz"));
        QVERIFY(!toolButton->property(FontCharsetProperty).isValid());
        QVERIFY(!window.label->pixmap().isNull());
        QCOMPARE(window.edit->text(), QString());
        QVERIFY(!window.edit->property(FontCharsetProperty).isValid());
        QCOMPARE(action->text(), QStringLiteral("Save"));

        translate({Item("ToolButton1", "TToolButton", {{"Caption", "eszköz"}}),
                   Item("NameLabel", "TImage", {{"Hint", "kép"}}),
                   Item("ValueEdit", "TLabeledEdit", {{"Text", "szám"}}),
                   Item("SaveAction", "TMenuItem", {{"Caption", "Mentés"}})});
        QCOMPARE(toolButton->text(), QStringLiteral("eszköz"));
        QCOMPARE(window.label->toolTip(), QStringLiteral("kép"));
        QVERIFY(!window.label->pixmap().isNull());
        QCOMPARE(window.edit->text(), QStringLiteral("szám"));
        QCOMPARE(action->text(), QStringLiteral("Mentés"));
    }

    void componentsOfOtherWindowsAreNotOwned()
    {
        const ScopedLanguage language;
        language.Language().Forms = {Form("Options", "Beállítások", {Item("InnerButton", "TButton", {{"Caption", "Belső"}})})};
        Window window("Options");
        auto* inner = new QDialog(&window.form);
        auto* innerButton = new QPushButton(QStringLiteral("Inner"), inner);
        innerButton->setObjectName(QStringLiteral("InnerButton"));
        TranslateForm(window.form);
        QCOMPARE(innerButton->text(), QStringLiteral("Inner"));
    }

    void tabPagesFileDialogsAndActions()
    {
        const ScopedLanguage language;
        language.Language().Forms = {Form("Options", "Beállítások",
                                          {Item("GeneralPage", "TTabSheet", {{"Caption", "Általános"}}),
                                           Item("OpenDialog1", "TOpenDialog", {{"Filter", "XML fájlok|*.xml|Minden fájl|*.*"}, {"Title", "Megnyitás"}}),
                                           Item("SaveAction", "TMenuItem", {{"Caption", "Mentés"}, {"Hint", "Ment"}})})};
        Window window("Options");
        auto* tabs = new QTabWidget(&window.form);
        tabs->setObjectName(QStringLiteral("Pages"));
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("GeneralPage"));
        tabs->addTab(page, QStringLiteral("General"));
        auto* dialog = new QFileDialog(&window.form);
        dialog->setObjectName(QStringLiteral("OpenDialog1"));
        auto* menu = new QMenu(&window.form);
        auto* action = new QAction(QStringLiteral("Save"), &window.form);
        action->setObjectName(QStringLiteral("SaveAction"));
        menu->addAction(action);
        TranslateForm(window.form);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Általános"));
        QCOMPARE(dialog->nameFilters(), QStringList({QStringLiteral("XML fájlok (*.xml)"), QStringLiteral("Minden fájl (*.*)")}));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Megnyitás"));
        QCOMPARE(action->text(), QStringLiteral("Mentés"));
        QCOMPARE(action->statusTip(), QStringLiteral("Ment"));
    }

    void frameworkClassNames()
    {
        Window window("Options");
        QCOMPARE(FrameworkClassName(*window.button), std::string("TButton"));
        QCOMPARE(FrameworkClassName(*window.label), std::string("TLabel"));
        QCOMPARE(FrameworkClassName(*window.panel), std::string("TPanel"));
        QCOMPARE(FrameworkClassName(*window.list), std::string("TListView"));
        QCOMPARE(FrameworkClassName(*window.group), std::string("TRadioGroup"));
        QCOMPARE(FrameworkClassName(window.form), std::string());
        // The edit with a buddy label is the narrower class, wherever its row stands.
        QCOMPARE(FrameworkClassName(*window.edit), std::string("TLabeledEdit"));
        window.editLabel->setBuddy(nullptr);
        QCOMPARE(FrameworkClassName(*window.edit), std::string("TEdit"));
        QPixmap pixmap(4, 4);
        pixmap.fill(Qt::red);
        window.label->setPixmap(pixmap);
        QCOMPARE(FrameworkClassName(*window.label), std::string("TImage"));

        // The combo box's own line edit and the list's viewport are not the window's.
        window.combo->setEditable(true);
        window.combo->lineEdit()->setObjectName(QStringLiteral("ComboEdit"));
        const auto owned = OwnedComponents(window.form);
        QStringList names;
        for (QObject* component : owned)
            names << component->objectName();
        QCOMPARE(names, QStringList({"Panel1", "OKButton", "NameLabel", "ValueEdit", "ValueLabel", "Kinds", "Items", "Alignment"}));
    }
};

QTEST_MAIN(FormTranslationTest)
#include "formtranslation_test.moc"
