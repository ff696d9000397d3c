#include "shell/mainform.h"
#include "shell/windowmessages.h"

#include "shell/commanddrivers.h"
#include "shell/datafolder.h"
#include "host/excelsheetlist.h"
#include "export/schemacheck.h"
#include "library/listheader/listheader.h"
#include "ui_mainform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <exception>
#include <limits>

namespace {

const QString FileFilter = QString::fromUtf8(WindowMsg::XmlFileFilter);
const QString StillRunningQuestion = QString::fromUtf8(WindowMsg::StillRunning);
constexpr int StatusRepaintMs = 200;  // the row panel and the progress: five times a second
constexpr int LogTabStop = 4;         // characters

// The normal cursor while the user is asked something in the middle of a busy command;
// the hourglass comes back afterwards.
class CursorLift {
public:
    explicit CursorLift(bool busy) : busy_(busy)
    {
        if (busy_)
            QApplication::restoreOverrideCursor();
    }
    ~CursorLift()
    {
        if (busy_)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    CursorLift(const CursorLift&) = delete;
    CursorLift& operator=(const CursorLift&) = delete;

private:
    bool busy_;
};

int ClampToInt(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, 0, std::numeric_limits<int>::max()));
}

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
    Q_INIT_RESOURCE(korvex);  // the icon lies in this static library
    setWindowIcon(QIcon(QStringLiteral(":/korvex/korvex.png")));

    // The exported XML reads as laid out: fixed-width letters, narrow tab stops.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    ui->XMLDest->setFont(fixed);
    ui->XMLDest->setTabStopDistance(QFontMetricsF(fixed).horizontalAdvance(QLatin1Char(' ')) * LogTabStop);

    const int panelWidths[3] = {400, 200, 50};
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(this);  // owned by the status bar
        panels_[i]->setFixedWidth(panelWidths[i]);
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        ui->StatusBar->addWidget(panels_[i]);
    }
    progress_ = new QProgressBar(this);  // owned by the status bar
    progress_->setFixedWidth(160);
    progress_->setFormat(QStringLiteral("%v / %m"));
    progress_->setVisible(false);
    ui->StatusBar->addWidget(progress_);

    saveDialog_ = MakeFileDialog(this, QFileDialog::AcceptSave);
    openDialog_ = MakeFileDialog(this, QFileDialog::AcceptOpen);

    QObject::connect(ui->ExcelToXML, &QAction::triggered, this, &TMainForm::ExcelToXMLClick);
    QObject::connect(ui->XMLToExcel, &QAction::triggered, this, &TMainForm::XMLToExcelClick);
    QObject::connect(ui->Help, &QAction::triggered, this, &TMainForm::HelpClick);
    QObject::connect(ui->Stop, &QAction::triggered, this, &TMainForm::StopClick);

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
    if (panel < 0 || panel >= 3)
        return;
    if (panel == 2) {
        // A row a millisecond would keep the window repainting: the panel shows the
        // latest row a few times a second (at ProcessMessages), and the last one when
        // the command ends.
        pendingRow_ = Q(text);
        statusPending_ = true;
        return;
    }
    if (panel == 0)
        workbook_ = Q(text);
    panels_[panel]->setText(Q(text));
    ShowPendingStatus();
}

void TMainForm::SetProgress(long long done, long long total)
{
    pendingDone_ = done;
    pendingTotal_ = total;
    statusPending_ = true;
}

bool TMainForm::StatusDue()
{
    if (statusClock_.isValid() && statusClock_.elapsed() < StatusRepaintMs)
        return false;
    statusClock_.start();
    return true;
}

void TMainForm::ShowPendingStatus()
{
    if (!statusPending_)
        return;
    statusPending_ = false;
    if (panels_[2]->text() != pendingRow_)
        panels_[2]->setText(pendingRow_);
    if (running_) {
        // An unknown total shows an empty bar, not a busy animation that repaints.
        int total = ClampToInt(pendingTotal_);
        progress_->setRange(0, std::max(total, 1));
        progress_->setValue(std::min(ClampToInt(pendingDone_), std::max(total, 1)));
        progress_->setTextVisible(total > 0);
    }
}

void TMainForm::ProcessMessages()
{
    if (statusPending_ && StatusDue())
        ShowPendingStatus();
    QApplication::processEvents();
    if (stopRequested_)
        throw CommandCancelled();
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
    ShowPendingStatus();
    CursorLift lift(busy_);
    QMessageBox::warning(this, Q(caption), Q(text), QMessageBox::Ok);
}

std::optional<std::string> TMainForm::AskSaveFileName(std::string_view proposed)
{
    ShowPendingStatus();
    // A relative name is taken from the workbook's folder, as the command line does.
    QString path = Q(proposed);
    QFileInfo workbook(workbook_);
    if (!path.isEmpty() && QFileInfo(path).isRelative() && workbook.isAbsolute())
        path = QDir(workbook.absolutePath()).filePath(path);
    QFileInfo file(path);
    if (!path.isEmpty()) {
        if (file.isAbsolute())
            saveDialog_->setDirectory(file.absolutePath());
        saveDialog_->selectFile(file.fileName());
    }
    CursorLift lift(busy_);
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
    CursorLift lift(busy_);
    QMessageBox::critical(this, QApplication::applicationName(), text, QMessageBox::Ok);
}

void TMainForm::SetCommandsEnabled(bool enabled)
{
    ui->ExcelToXML->setEnabled(enabled);
    ui->XMLToExcel->setEnabled(enabled);
    ui->Stop->setEnabled(!enabled);
}

template <typename Command>
void TMainForm::RunCommand(Command command)
{
    // The commands share the document: they never run inside one another.
    SetCommandsEnabled(false);
    running_ = true;
    stopRequested_ = false;
    workbook_.clear();
    statusClock_.invalidate();
    pendingDone_ = pendingTotal_ = 0;
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->setVisible(true);
    try {
        command();
    } catch (const CommandCancelled&) {
        // Stopped by the user: the log says so, no report.
    } catch (const std::exception& error) {
        ShowExceptionReport(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowExceptionReport(QString::fromUtf8(WindowMsg::UnknownError));
    }
    ShowPendingStatus();
    if (stopRequested_)
        AppendLog(CommandCancelled().what());
    running_ = false;
    stopRequested_ = false;
    progress_->setVisible(false);
    SetCommandsEnabled(true);
    if (closeAfterCommand_)
        QTimer::singleShot(0, this, &QWidget::close);
}

void TMainForm::ExcelToXMLClick()
{
    if (!running_)
        RunCommand([this] { RunExcelToXML(*this, connect_); });
}

void TMainForm::XMLToExcelClick()
{
    if (!running_)
        RunCommand([this] { RunXMLToExcel(*this, connect_); });
}

void TMainForm::StopClick()
{
    if (running_)
        stopRequested_ = true;
}

void TMainForm::HelpClick()
{
    // Beside the program (the build tree, a Windows folder), then where the package
    // installs the guide.
    const QString here = QCoreApplication::applicationDirPath();
    const QStringList candidates = {
        here + QStringLiteral("/Korvex.chm"),
        here + QStringLiteral("/korvex-sugo.html"),
        QDir::cleanPath(here + QStringLiteral("/../share/doc/korvex/korvex-sugo.html")),
    };
    QString guide = candidates.back();
    for (const QString& candidate : candidates)
        if (QFileInfo::exists(candidate)) {
            guide = candidate;
            break;
        }
    if (!QFileInfo::exists(guide) || !QDesktopServices::openUrl(QUrl::fromLocalFile(guide)))
        Warning(Caption(), (QString::fromUtf8(WindowMsg::HelpNotOpened) + QDir::toNativeSeparators(guide)).toStdString());
}

void TMainForm::RememberGeometry(const std::string& program)
{
    geometryProgram_ = program;
    TListHeader::ReadMaximalization(*this, program);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (running_) {
        event->ignore();
        if (closeAfterCommand_)
            return;
        ShowPendingStatus();
        CursorLift lift(busy_);
        if (QMessageBox::question(this, windowTitle(), StillRunningQuestion, QMessageBox::Yes | QMessageBox::No,
                                  QMessageBox::No) == QMessageBox::Yes && running_) {
            stopRequested_ = true;
            closeAfterCommand_ = true;
        }
        return;
    }
    if (!geometryProgram_.empty())
        TListHeader::WriteMaximalization(*this, geometryProgram_);
    event->accept();
}

bool TMainForm::KeepInvalidOutput(const std::vector<std::string>& problems, long count)
{
    for (const std::string& problem : problems)
        AppendLog(problem);
    return QMessageBox::question(this, Q(Caption()), Q(InvalidOutputQuestion(count)),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}
