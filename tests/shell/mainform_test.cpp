#include "shell/datafolder.h"
#include "host/excelsheetlist.h"
#include "shell/mainform.h"
#include "host/memory/memoryhost.h"
#include "shell/qttranslation.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <functional>

namespace {

// Runs check on the next modal dialog once it is shown; a fail-safe closes it if the
// check never gets to, so that exec() cannot hang the test.
void OnNextModal(std::function<void(QWidget*)> check)
{
    QTimer::singleShot(0, [check] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal)
            check(modal);
    });
    QTimer::singleShot(5000, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
}

QAction* MenuAction(TMainForm& form, const QString& name)
{
    return form.findChild<QAction*>(name);
}

// Answers every modal window that comes up while it lives, by polling: the handler
// must close what it is given.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(QWidget*)> handler) : handler_(std::move(handler))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget())
                handler_(modal);
        });
        timer_.start(10);
    }

private:
    std::function<void(QWidget*)> handler_;
    QTimer timer_;
};

bool CursorIsNormal()
{
    return QApplication::overrideCursor() == nullptr || QApplication::overrideCursor()->shape() == Qt::ArrowCursor;
}

// A workbook in memory whose first data sheet has rows of items, with its control file
// in a data folder; its output goes to "out/items.xml" beside the workbook.
struct ExportFixture {
    explicit ExportFixture(int rows, bool mismatchingSheet = false)
    {
        folder = std::filesystem::path(dir.path().toStdString());
        std::filesystem::create_directories(folder / "books" / "out");
        std::filesystem::create_directories(folder / "data");
        std::ofstream(folder / "data" / "items.ini") << "[MAIN]\nVERSION=1\nCOLS=A\n[MAPPING]\n"
                                                        "A=BeginItem(Item);Content;EndItem(Item)\n";
        qputenv("KORVEX_DATA_FOLDER", QByteArray::fromStdString((folder / "data").string()));
        std::vector<std::string> sheets = {"Start", "Data"};
        if (mismatchingSheet)
            sheets.push_back("Old");
        book = host->AddWorkbook((folder / "books" / "book.xlsx").string(), sheets);
        host->SetText(book, 1, "A1", "Items");
        host->SetText(book, 1, "A2", "out/items.xml");
        host->SetText(book, 1, "A3", "0");
        host->SetText(book, 2, "A1", "items.ini");
        host->SetText(book, 2, "B1", "1");
        for (int row = 5; row < 5 + rows; ++row)
            host->SetText(book, 2, "A" + std::to_string(row), "item " + std::to_string(row));
        if (mismatchingSheet) {
            host->SetText(book, 3, "A1", "items.ini");
            host->SetText(book, 3, "B1", "9");
        }
    }
    ~ExportFixture() { qunsetenv("KORVEX_DATA_FOLDER"); }

    std::filesystem::path Output() const { return folder / "books" / "out" / "items.xml"; }

    QTemporaryDir dir;
    std::filesystem::path folder;
    std::shared_ptr<MemoryHost> host = std::make_shared<MemoryHost>();
    int book = 0;
};

// The main window with a hook on the row panel, to act in the middle of an export.
class RowWatchingForm : public TMainForm {
public:
    using TMainForm::TMainForm;
    void SetStatus(int panel, std::string_view text) override
    {
        TMainForm::SetStatus(panel, text);
        if (panel == 2 && text == atRow && action)
            QTimer::singleShot(0, this, action);
    }
    std::string atRow;
    std::function<void()> action;
};

// Ticks every workbook and confirms the selection dialog; true when it was one.
bool ConfirmSelection(QWidget* modal)
{
    auto* dialog = qobject_cast<TExcelSheetListForm*>(modal);
    if (!dialog)
        return false;
    for (int i = 0; i < dialog->SheetNames()->count(); ++i)
        dialog->SheetNames()->item(i)->setCheckState(Qt::Checked);
    dialog->accept();
    return true;
}

}  // namespace

class MainFormTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(LoadQtTranslation(*QCoreApplication::instance()));
    }

    void qtSpeaksHungarian()
    {
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Mégse"));
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')), QStringLiteral("Igen"));
    }

    void logIsAReadOnlyFixedWidthText()
    {
        TMainForm form([] { return std::shared_ptr<HostBackend>(); });
        QPlainTextEdit* log = form.XMLDest();
        QVERIFY(log->isReadOnly());
        QVERIFY(QFontInfo(log->font()).fixedPitch());
        const qreal space = QFontMetricsF(log->font()).horizontalAdvance(QLatin1Char(' '));
        QVERIFY(log->tabStopDistance() >= 2 * space && log->tabStopDistance() <= 4 * space);
        QCOMPARE(form.StatusPanel(0)->frameShape(), QFrame::Panel);
    }

    void cursorIsNormalWhileTheUserIsAsked()
    {
        ExportFixture fixture(20, true);
        TMainForm form([host = fixture.host] { return host; });
        QStringList seen;
        bool normal = true;
        QString saveFolder;
        ModalAnswerer answerer([&](QWidget* modal) {
            if (ConfirmSelection(modal))
                return;
            normal = normal && CursorIsNormal();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                seen << box->text();
                box->accept();
            } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                seen << QStringLiteral("save");
                saveFolder = dialog->directory().absolutePath();
                dialog->reject();
            }
        });
        form.ExcelToXMLClick();
        QCOMPARE(seen, QStringList({QStringLiteral("Eltérő verziójú vezérlőfájl!"), QStringLiteral("save")}));
        QVERIFY(normal);
        // The proposed name is taken from the workbook's folder.
        QCOMPARE(saveFolder, QString::fromStdString(fixture.Output().parent_path().string()));
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(!std::filesystem::exists(fixture.Output()));
    }

    void exportShowsItsLastRowAndWrites()
    {
        ExportFixture fixture(300);
        TMainForm form([host = fixture.host] { return host; });
        ModalAnswerer answerer([&](QWidget* modal) {
            if (!ConfirmSelection(modal))
                if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->accept();
        });
        form.ExcelToXMLClick();
        // Rows 5 to 304 hold items, the ten empty rows after them end the sheet.
        QCOMPARE(form.StatusPanel(2)->text(), QStringLiteral("314"));
        QVERIFY(std::filesystem::exists(fixture.Output()));
        QVERIFY(!form.Progress()->isVisible());
    }

    void closingDuringACommandAsksFirst()
    {
        for (bool confirm : {true, false}) {
            ExportFixture fixture(300);
            RowWatchingForm form([host = fixture.host] { return host; });
            form.show();
            form.atRow = "50";
            form.action = [&form] { form.close(); };
            QString question;
            bool saveAsked = false;
            int progressMax = 0;
            ModalAnswerer answerer([&](QWidget* modal) {
                if (ConfirmSelection(modal))
                    return;
                if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                    question = box->text();
                    progressMax = form.Progress()->maximum();
                    box->button(confirm ? QMessageBox::Yes : QMessageBox::No)->click();
                } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                    saveAsked = true;
                    dialog->accept();
                }
            });
            form.ExcelToXMLClick();
            QCOMPARE(question, QStringLiteral("A parancs még fut. Megszakítja?"));
            QCOMPARE(progressMax, 304);  // the sheet's used rows
            if (confirm) {
                // Ended at the row it was reading, nothing written, then closed.
                QVERIFY(!saveAsked);
                QVERIFY(!std::filesystem::exists(fixture.Output()));
                QCOMPARE(form.StatusPanel(2)->text(), QStringLiteral("50"));
                QVERIFY(form.XMLDest()->toPlainText().endsWith(QStringLiteral("A parancs megszakítva.")));
                QTRY_VERIFY(!form.isVisible());
            } else {
                QVERIFY(saveAsked);
                QVERIFY(std::filesystem::exists(fixture.Output()));
                QVERIFY(form.isVisible());
            }
            QVERIFY(QApplication::overrideCursor() == nullptr);
        }
    }

    void escapeStopsACommand()
    {
        ExportFixture fixture(300);
        RowWatchingForm form([host = fixture.host] { return host; });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.atRow = "120";
        bool stopEnabled = false;
        form.action = [&form, &stopEnabled] {
            stopEnabled = MenuAction(form, "Stop")->isEnabled();
            QApplication::setActiveWindow(&form);
            QTest::keyClick(form.XMLDest(), Qt::Key_Escape);
        };
        bool saveAsked = false;
        {
            ModalAnswerer answerer([&](QWidget* modal) {
                if (ConfirmSelection(modal))
                    return;
                saveAsked = true;
                if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->reject();
            });
            form.ExcelToXMLClick();
        }
        QVERIFY(stopEnabled);
        QVERIFY(!saveAsked);
        QCOMPARE(form.StatusPanel(2)->text(), QStringLiteral("120"));
        QVERIFY(!std::filesystem::exists(fixture.Output()));
        QVERIFY(form.XMLDest()->toPlainText().endsWith(QStringLiteral("A parancs megszakítva.")));
        QVERIFY(!MenuAction(form, "Stop")->isEnabled());
        QVERIFY(MenuAction(form, "ExcelToXML")->isEnabled());
        QVERIFY(form.isVisible());
        // The next command runs to its end.
        form.action = nullptr;
        ModalAnswerer saver([&](QWidget* modal) {
            if (!ConfirmSelection(modal))
                if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->accept();
        });
        form.ExcelToXMLClick();
        QVERIFY(std::filesystem::exists(fixture.Output()));
    }

    void geometryIsRememberedBetweenRuns()
    {
        QTemporaryDir settings;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        {
            TMainForm form([] { return std::shared_ptr<HostBackend>(); });
            form.RememberGeometry("KorvexTest");
            form.show();
            form.move(30, 40);
            form.resize(700, 450);
            QVERIFY(form.close());
        }
        TMainForm again([] { return std::shared_ptr<HostBackend>(); });
        again.RememberGeometry("KorvexTest");
        QCOMPARE(again.size(), QSize(700, 450));
        QCOMPARE(again.pos(), QPoint(30, 40));
    }

    void helpWarnsNamingTheGuide()
    {
        // No guide lies beside the test program.
        TMainForm form([] { return std::shared_ptr<HostBackend>(); });
        QString text;
        OnNextModal([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                text = box->text();
                box->accept();
            }
        });
        MenuAction(form, "Help")->trigger();
        QVERIFY2(text.startsWith(QStringLiteral("A súgó nem nyitható meg: ")), qPrintable(text));
        QVERIFY(text.endsWith(QStringLiteral("korvex-sugo.html")));
    }

    void windowHasItsComponents()
    {
        TMainForm form([] { return std::shared_ptr<HostBackend>(); });
        QVERIFY(form.windowTitle().startsWith(QStringLiteral("XML generálás excel táblákból ")));
        QCOMPARE(form.StatusPanel(0)->width(), 400);
        QCOMPARE(form.StatusPanel(1)->width(), 200);
        QCOMPARE(form.StatusPanel(2)->width(), 50);
        // The menu texts with their mnemonics (Alt+E, Alt+X, Alt+S), F1 for the guide.
        QCOMPARE(MenuAction(form, "ExcelToXML")->text(), QStringLiteral("&Excel->XML"));
        QCOMPARE(MenuAction(form, "XMLToExcel")->text(), QStringLiteral("&XML->Excel"));
        QCOMPARE(MenuAction(form, "Help")->text(), QStringLiteral("&Súgó"));
        QCOMPARE(MenuAction(form, "Help")->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(MenuAction(form, "Stop")->shortcut(), QKeySequence(Qt::Key_Escape));
        QVERIFY(!MenuAction(form, "Stop")->isEnabled());
        QVERIFY(!form.windowIcon().isNull());
        QVERIFY(form.XMLDest() != nullptr);
        QCOMPARE(form.SaveDialog1()->defaultSuffix(), QStringLiteral("xml"));
        QCOMPARE(form.OpenDialog1()->nameFilters(),
                 QStringList({QStringLiteral("XML fájlok (*.xml)"), QStringLiteral("Minden fájl (*.*)")}));
        QVERIFY(QString::fromStdString(form.DataFolder()).endsWith(QLatin1Char('/')));
    }

    void versionStamp()
    {
        QCOMPARE(VersionText(1, 2, QDate(2016, 3, 4)), QStringLiteral("1.02 (2016. 3. 4.)"));
        QCOMPARE(VersionText(10, 15, QDate(2026, 12, 10)), QStringLiteral("10.15 (2026. 12. 10.)"));
    }

    void dataFolderFallsBackToTheCommonFolder()
    {
        QTemporaryDir user, desktop, local, system;
        const QStringList common = {desktop.path(), local.path() + "/", system.path()};
        // Nothing exists: the first system-wide folder is named, untested.
        QCOMPARE(DataFolderFor(user.path(), common), desktop.path() + "/valmoro/Korvex/");
        QCOMPARE(DataFolderFor(user.path(), {}), QStringLiteral("/usr/local/share/valmoro/Korvex/"));
        // The first system-wide folder that holds the files, not merely the first one.
        QVERIFY(QDir(system.path()).mkpath("valmoro/Korvex"));
        QCOMPARE(DataFolderFor(user.path(), common), system.path() + "/valmoro/Korvex/");
        QVERIFY(QDir(local.path()).mkpath("valmoro/Korvex"));
        QCOMPARE(DataFolderFor(user.path(), common), local.path() + "/valmoro/Korvex/");
        // The per-user folder wins once it exists.
        QVERIFY(QDir(user.path()).mkpath("valmoro/Korvex"));
        QCOMPARE(DataFolderFor(user.path(), common), user.path() + "/valmoro/Korvex/");
        QCOMPARE(DataFolderFor(user.path() + "/", {"/nowhere"}), user.path() + "/valmoro/Korvex/");
    }

    void exportWithoutApplicationWarnsWithTheCaption()
    {
        TMainForm form([] { return std::shared_ptr<HostBackend>(); });
        QString caption, text;
        bool menuDisabled = false;
        OnNextModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box)
                return;
            caption = box->windowTitle();
            text = box->text();
            menuDisabled = !MenuAction(form, "ExcelToXML")->isEnabled() &&
                           !MenuAction(form, "XMLToExcel")->isEnabled() && MenuAction(form, "Stop")->isEnabled();
            box->accept();
        });
        MenuAction(form, "ExcelToXML")->trigger();
        QCOMPARE(caption, form.windowTitle());
        QCOMPARE(text, QStringLiteral("Nincs excel fájl megnyitva, vagy az excel nem fogadóképes!"));
        QVERIFY(menuDisabled);
        QVERIFY(MenuAction(form, "ExcelToXML")->isEnabled());
        QVERIFY(!MenuAction(form, "Stop")->isEnabled());
    }

    void selectionDialogListsNamesAndAnswersKeys()
    {
        auto host = std::make_shared<MemoryHost>();
        host->AddWorkbook("/books/one.xlsx", {"Start"});
        host->AddWorkbook("/books/two.xlsx", {"Start"});
        TMainForm form([host] { return host; });

        QStringList names;
        int current = -1;
        OnNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<TExcelSheetListForm*>(modal);
            if (!dialog)
                return;
            for (int i = 0; i < dialog->SheetNames()->count(); ++i)
                names << dialog->SheetNames()->item(i)->text();
            current = dialog->SheetNames()->currentRow();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        MenuAction(form, "ExcelToXML")->trigger();
        QCOMPARE(names, QStringList({"/books/one.xlsx", "/books/two.xlsx"}));
        QCOMPARE(current, 0);
        QCOMPARE(form.StatusPanel(0)->text(), QString());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void selectionDialogEnterIsOkEscapeIsCancel()
    {
        for (auto [key, expected] : {std::pair{Qt::Key_Return, int(QDialog::Accepted)},
                                     std::pair{Qt::Key_Escape, int(QDialog::Rejected)}}) {
            TExcelSheetListForm dialog;
            dialog.SetNames({"a", "b"});
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Excel táblák"));
            QCOMPARE(dialog.Ticked(), (std::vector<bool>{false, false}));
            OnNextModal([key = key](QWidget* modal) { QTest::keyClick(modal, key); });
            QCOMPARE(dialog.exec(), expected);
        }
    }

    void selectionDialogReportsTicks()
    {
        TExcelSheetListForm dialog;
        dialog.SetNames({"a", "b", "c"});
        dialog.SheetNames()->item(1)->setCheckState(Qt::Checked);
        QCOMPARE(dialog.Ticked(), (std::vector<bool>{false, true, false}));
        auto* ok = dialog.findChild<QPushButton*>("Button1");
        auto* cancel = dialog.findChild<QPushButton*>("Button2");
        QCOMPARE(ok->text(), QStringLiteral("Ok"));
        QCOMPARE(cancel->text(), QStringLiteral("Elvet"));
        QVERIFY(ok->isDefault());
    }

    void logReplacesAndAppendsLines()
    {
        TMainForm form([] { return std::shared_ptr<HostBackend>(); });
        form.SetLogText("<a>\r\n\t<b/>\r\n</a>");
        QCOMPARE(form.XMLDest()->toPlainText(), QStringLiteral("<a>\n\t<b/>\n</a>"));
        form.SetLogText("");
        form.AppendLog("/data/one.xml");
        form.AppendLog("*** End ***");
        QCOMPARE(form.XMLDest()->toPlainText(), QStringLiteral("/data/one.xml\n*** End ***"));
    }
};

QTEST_MAIN(MainFormTest)
#include "mainform_test.moc"
