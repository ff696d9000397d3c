// Takes screenshots of the main window under a real X server (Xvfb): the progress in
// the middle of a long export, the Hungarian save dialog, and the window after the
// export. The workbook lies in memory. Usage: korvex-window-shots <output-folder>
#include "host/excelsheetlist.h"
#include "shell/mainform.h"
#include "host/memory/memoryhost.h"
#include "shell/qttranslation.h"

#include <QApplication>
#include <QFileDialog>
#include <QListWidget>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

namespace {

constexpr int Rows = 20000;
QString OutputFolder;

void Shoot(const QString& name)
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const QString path = OutputFolder + QLatin1Char('/') + name;
    if (!QApplication::primaryScreen()->grabWindow(0).save(path))
        std::fprintf(stderr, "korvex-window-shots: cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

// Shoots the progress once the export reaches the middle of the sheet (as far as the
// panels have been repainted by then).
class ShootingForm : public TMainForm {
public:
    using TMainForm::TMainForm;
    void SetStatus(int panel, std::string_view text) override
    {
        TMainForm::SetStatus(panel, text);
        if (panel == 2 && text == std::to_string(Rows / 2))
            Shoot(QStringLiteral("window-progress.png"));
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvex-window-shots <output-folder>\n");
        return 2;
    }
    OutputFolder = QString::fromLocal8Bit(argv[1]);
    LoadQtTranslation(application);

    QTemporaryDir work;
    const std::string folder = work.path().toStdString();
    QDir(work.path()).mkpath(QStringLiteral("Munkafüzetek"));
    std::ofstream(folder + "/szemelyek.ini")
        << "[MAIN]\nVERSION=1.00\nCOLS=A;B;C\n[MAPPING]\n"
           "A=EndItem(Személy);BeginItem(Személy);BeginItem(Név);Content;EndItem(Név)\n"
           "B=BeginItem(Város);Content;EndItem(Város)\nC=BeginItem(Születés);Content;EndItem(Születés)\n"
           "[FORMAT]\nSzemély=1\nNév=2\nVáros=2\nSzületés=2\n";
    qputenv("KORVEX_DATA_FOLDER", work.path().toUtf8());

    auto host = std::make_shared<MemoryHost>();
    int book = host->AddWorkbook(folder + "/Munkafüzetek/nyilvantartas.xlsx", {"Start", "Személyek"});
    host->SetText(book, 1, "A1", "Nyilvántartás");
    host->SetText(book, 1, "A2", "nyilvantartas.xml");
    host->SetText(book, 1, "A3", "0");
    host->SetText(book, 2, "A1", "szemelyek.ini");
    host->SetText(book, 2, "B1", "1.00");
    const char* names[] = {"Kovács Éva", "Szabó Ödön", "Tóth Ürsula", "Nagy Árpád", "Horváth Őze"};
    const char* towns[] = {"Győr", "Pécs", "Szeged", "Debrecen", "Székesfehérvár"};
    for (int i = 0; i < Rows; ++i) {
        const std::string row = std::to_string(5 + i);
        host->SetText(book, 2, "A" + row, names[i % 5]);
        host->SetText(book, 2, "B" + row, towns[(i / 5) % 5]);
        host->SetText(book, 2, "C" + row, std::to_string(1950 + i % 60));
    }

    ShootingForm form([host] { return host; });
    form.show();
    // Answers the two dialogs; the save dialog is shot first.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* list = qobject_cast<TExcelSheetListForm*>(modal)) {
            list->SheetNames()->item(0)->setCheckState(Qt::Checked);
            list->accept();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            answer.stop();
            Shoot(QStringLiteral("save-dialog.png"));
            dialog->reject();  // nothing written
        }
    });
    answer.start(50);
    QTimer::singleShot(300, [&] {
        form.ExcelToXMLClick();
        Shoot(QStringLiteral("window-after-export.png"));
        QApplication::quit();
    });
    return QApplication::exec();
}
