#include "shell/mainform.h"
#include "shell/windowmessages.h"

#include "shell/commanddrivers.h"
#include "shell/datafolder.h"
#include "host/excelsheetlist.h"
#include "export/schemacheck.h"
#include "ui_mainform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QUrl>

#include <exception>

namespace {

const QString FileFilter = QString::fromUtf8(WindowMsg::XmlFileFilter);

QString Q(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, QFileDialog::AcceptMode mode)
{
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setNameFilter(FileFilter);
    dialog->setNameFilters(FileFilter.split(QStringLiteral(";;")));
    dialog->setDefaultSuffix(QStringLiteral("xml"));
    dialog->setAcceptMode(mode);
    dialog->setOption(QFileDialog::ReadOnly, false);
    dialog->setSizeGripEnabled(true);
    if (mode == QFileDialog::AcceptSave) {
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    } else {
        dialog->setFileMode(QFileDialog::ExistingFiles);
    }
    return dialog;
}

}  // namespace

TMainForm::TMainForm(HostConnector connect, QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::TMainForm>())
    , connect_(std::move(connect))
{
    ui->setupUi(this);
    QFont font = this->font();
    font.setPixelSize(11);
    setFont(font);

    const int panelWidths[3] = {400, 200, 50};
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(this);  // owned by the status bar
        panels_[i]->setFixedWidth(panelWidths[i]);
        ui->StatusBar->addWidget(panels_[i]);
    }
    saveDialog_ = MakeFileDialog(this, QFileDialog::AcceptSave);
    openDialog_ = MakeFileDialog(this, QFileDialog::AcceptOpen);

    QObject::connect(ui->ExcelToXML, &QAction::triggered, this, &TMainForm::ExcelToXMLClick);
    QObject::connect(ui->XMLToExcel, &QAction::triggered, this, &TMainForm::XMLToExcelClick);
    QObject::connect(ui->Help, &QAction::triggered, this, &TMainForm::HelpClick);

    dataFolder_ = DefaultDataFolder();
    setWindowTitle(windowTitle() + QLatin1Char(' ') + GetVersionText());
}

TMainForm::~TMainForm() = default;

QPlainTextEdit* TMainForm::XMLDest() const { return ui->XMLDest; }
QStatusBar* TMainForm::StatusBar() const { return ui->StatusBar; }
QLabel* TMainForm::StatusPanel(int panel) const { return panels_[panel]; }

std::string TMainForm::Caption() const { return windowTitle().toStdString(); }
std::string TMainForm::DataFolder() const { return QDir::toNativeSeparators(dataFolder_).toStdString(); }

void TMainForm::AppendLog(std::string_view line)
{
    ui->XMLDest->appendPlainText(Q(line));
}

void TMainForm::SetLogText(std::string_view text)
{
    QString content = Q(text);
    content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    ui->XMLDest->setPlainText(content);
}

void TMainForm::SetStatus(int panel, std::string_view text)
{
    if (panel >= 0 && panel < 3)
        panels_[panel]->setText(Q(text));
}

void TMainForm::ProcessMessages()
{
    QApplication::processEvents();
}

void TMainForm::SetBusy(bool busy)
{
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TMainForm::Warning(std::string_view caption, std::string_view text)
{
    QMessageBox::warning(this, Q(caption), Q(text), QMessageBox::Ok);
}

std::optional<std::string> TMainForm::AskSaveFileName(std::string_view proposed)
{
    QFileInfo file(Q(proposed));
    if (!proposed.empty()) {
        if (file.isAbsolute())
            saveDialog_->setDirectory(file.absolutePath());
        saveDialog_->selectFile(file.fileName());
    }
    if (saveDialog_->exec() != QDialog::Accepted || saveDialog_->selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(saveDialog_->selectedFiles().first()).toStdString();
}

std::vector<std::string> TMainForm::AskDataFiles()
{
    std::vector<std::string> files;
    if (openDialog_->exec() == QDialog::Accepted)
        for (const QString& file : openDialog_->selectedFiles())
            files.push_back(QDir::toNativeSeparators(file).toStdString());
    return files;
}

std::optional<std::vector<bool>> TMainForm::SelectWorkbooks(const std::vector<std::string>& names)
{
    return TExcelSheetListForm::Choose(this, names);
}

void TMainForm::ShowExceptionReport(const QString& text)
{
    QMessageBox::critical(this, QApplication::applicationName(), text, QMessageBox::Ok);
}

template <typename Command>
void TMainForm::RunCommand(Command command)
{
    ui->MainMenu1->setEnabled(false);
    try {
        command();
    } catch (const std::exception& error) {
        ShowExceptionReport(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowExceptionReport(QString::fromUtf8(WindowMsg::UnknownError));
    }
    ui->MainMenu1->setEnabled(true);
}

void TMainForm::ExcelToXMLClick()
{
    RunCommand([this] { RunExcelToXML(*this, connect_); });
}

void TMainForm::XMLToExcelClick()
{
    RunCommand([this] { RunXMLToExcel(*this, connect_); });
}

void TMainForm::HelpClick()
{
    QDir folder(QCoreApplication::applicationDirPath());
    for (const QString& name : {QStringLiteral("Korvex.chm"), QStringLiteral("korvex-sugo.html")}) {
        if (folder.exists(name)) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(folder.absoluteFilePath(name)));
            return;
        }
    }
}

bool TMainForm::KeepInvalidOutput(const std::vector<std::string>& problems, long count)
{
    for (const std::string& problem : problems)
        AppendLog(problem);
    return QMessageBox::question(this, Q(Caption()), Q(InvalidOutputQuestion(count)),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}
