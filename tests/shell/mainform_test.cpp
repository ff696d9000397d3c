#include "shell/datafolder.h"
#include "host/excelsheetlist.h"
#include "shell/mainform.h"
#include "host/memory/memoryhost.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

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

}  // namespace

class MainFormTest : public QObject {
    Q_OBJECT

private slots:
    void windowHasItsComponents()
    {
        TMainForm form([] { return std::shared_ptr<HostBackend>(); });
        QVERIFY(form.windowTitle().startsWith(QStringLiteral("XML generálás excel táblákból ")));
        QCOMPARE(form.StatusPanel(0)->width(), 400);
        QCOMPARE(form.StatusPanel(1)->width(), 200);
        QCOMPARE(form.StatusPanel(2)->width(), 50);
        QCOMPARE(MenuAction(form, "ExcelToXML")->text(), QStringLiteral("Excel->XML"));
        QCOMPARE(MenuAction(form, "XMLToExcel")->text(), QStringLiteral("XML->Excel"));
        QCOMPARE(MenuAction(form, "Help")->text(), QStringLiteral("Súgó"));
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
            menuDisabled = !form.menuBar()->isEnabled();
            box->accept();
        });
        MenuAction(form, "ExcelToXML")->trigger();
        QCOMPARE(caption, form.windowTitle());
        QCOMPARE(text, QStringLiteral("Nincs excel fájl megnyitva, vagy az excel nem fogadóképes!"));
        QVERIFY(menuDisabled);
        QVERIFY(form.menuBar()->isEnabled());
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
