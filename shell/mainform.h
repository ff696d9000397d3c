#pragma once

#include "host/excelsheet.h"
#include "common/frontend.h"
#include "common/xmldocument.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <memory>
#include <string>

namespace Ui {
class TMainForm;
}
class QFileDialog;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QStatusBar;

// The main window: the log, the three-panel status bar and the three menu commands.
class TMainForm : public QMainWindow, public Frontend {
    Q_OBJECT

public:
    explicit TMainForm(HostConnector connect, QWidget* parent = nullptr);
    ~TMainForm() override;

    QPlainTextEdit* XMLDest() const;
    QStatusBar* StatusBar() const;
    QLabel* StatusPanel(int panel) const;
    QProgressBar* Progress() const { return progress_; }
    bool CommandRunning() const { return running_; }
    // Restores the window's stored size, place and state now and stores them when it
    // closes, under the per-user settings of program.
    void RememberGeometry(const std::string& program);
    QFileDialog* SaveDialog1() const { return saveDialog_.get(); }
    QFileDialog* OpenDialog1() const { return openDialog_.get(); }

    // Frontend
    std::string Caption() const override;
    std::string DataFolder() const override;
    TXMLDocument& Document() override { return XMLDocument; }
    void AppendLog(std::string_view line) override;
    void SetLogText(std::string_view text) override;
    void SetStatus(int panel, std::string_view text) override;
    void ProcessMessages() override;
    void SetProgress(long long done, long long total) override;
    void SetBusy(bool busy) override;
    void Warning(std::string_view caption, std::string_view text) override;
    std::optional<std::string> AskSaveFileName(std::string_view proposed) override;
    std::vector<std::string> AskDataFiles() override;
    std::optional<std::vector<bool>> SelectWorkbooks(const std::vector<std::string>& names) override;
    // The problems go to the log; the user decides whether to save all the same.
    bool KeepInvalidOutput(const std::vector<std::string>& problems, long count) override;

    TXMLDocument XMLDocument;

public slots:
    void ExcelToXMLClick();
    void XMLToExcelClick();
    void HelpClick();
    // "Megszakítás": the running command ends at its next row or element.
    void StopClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Runs one command with the menu disabled, so that the two never nest.
    template <typename Command>
    void RunCommand(Command command);
    void ShowExceptionReport(const QString& text);
    // Shows the row and progress held back since the last repaint.
    void ShowPendingStatus();
    // Whether the status may be repainted now: a few times a second.
    bool StatusDue();
    void SetCommandsEnabled(bool enabled);

    std::unique_ptr<Ui::TMainForm> ui;
    std::unique_ptr<QFileDialog> saveDialog_;
    std::unique_ptr<QFileDialog> openDialog_;
    QLabel* panels_[3] = {};
    QProgressBar* progress_ = nullptr;
    HostConnector connect_;
    QString dataFolder_;
    QString workbook_;  // status panel 0: the workbook being converted
    std::string geometryProgram_;
    bool busy_ = false;
    bool running_ = false;
    bool stopRequested_ = false;
    bool closeAfterCommand_ = false;
    QElapsedTimer statusClock_;
    QString pendingRow_;
    long long pendingDone_ = 0;
    long long pendingTotal_ = 0;
    bool statusPending_ = false;
};
