#pragma once

#include "host/excelsheet.h"
#include "common/frontend.h"
#include "common/xmldocument.h"

#include <QMainWindow>

#include <memory>

namespace Ui {
class TMainForm;
}
class QFileDialog;
class QLabel;
class QPlainTextEdit;
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

private:
    // Runs one command with the menu disabled, so that the two never nest.
    template <typename Command>
    void RunCommand(Command command);
    void ShowExceptionReport(const QString& text);

    std::unique_ptr<Ui::TMainForm> ui;
    std::unique_ptr<QFileDialog> saveDialog_;
    std::unique_ptr<QFileDialog> openDialog_;
    QLabel* panels_[3] = {};
    HostConnector connect_;
    QString dataFolder_;
    bool busy_ = false;
};
