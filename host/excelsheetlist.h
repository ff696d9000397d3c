#pragma once

#include <QDialog>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Ui {
class TExcelSheetListForm;
}
class QListWidget;

// The workbook selection dialog: a check list of the open workbooks' full names with
// "Ok" (default, Enter) and "Elvet" (cancel, Escape).
class TExcelSheetListForm : public QDialog {
    Q_OBJECT

public:
    explicit TExcelSheetListForm(QWidget* parent = nullptr);
    ~TExcelSheetListForm() override;

    QListWidget* SheetNames() const;

    // Adds one entry per name, unticked, and highlights the first.
    void SetNames(const std::vector<std::string>& names);
    // The tick state of every entry, in list order.
    std::vector<bool> Ticked() const;

    // Shows the dialog modally: the tick states after "Ok", nullopt after cancel.
    static std::optional<std::vector<bool>> Choose(QWidget* parent, const std::vector<std::string>& names);

private:
    std::unique_ptr<Ui::TExcelSheetListForm> ui;
};
