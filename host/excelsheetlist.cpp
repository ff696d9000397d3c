#include "host/excelsheetlist.h"

#include "ui_excelsheetlist.h"

TExcelSheetListForm::TExcelSheetListForm(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TExcelSheetListForm>())
{
    ui->setupUi(this);
    QFont font = this->font();
    font.setPixelSize(11);
    setFont(font);
}

TExcelSheetListForm::~TExcelSheetListForm() = default;

QListWidget* TExcelSheetListForm::SheetNames() const
{
    return ui->SheetNames;
}

void TExcelSheetListForm::SetNames(const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        auto* item = new QListWidgetItem(QString::fromStdString(name), ui->SheetNames);  // owned by the list
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setSizeHint(QSize(0, 13 + 4));
    }
    if (ui->SheetNames->count() > 0)
        ui->SheetNames->setCurrentRow(0);
}

std::vector<bool> TExcelSheetListForm::Ticked() const
{
    std::vector<bool> ticked;
    for (int i = 0; i < ui->SheetNames->count(); ++i)
        ticked.push_back(ui->SheetNames->item(i)->checkState() == Qt::Checked);
    return ticked;
}

std::optional<std::vector<bool>> TExcelSheetListForm::Choose(QWidget* parent, const std::vector<std::string>& names)
{
    TExcelSheetListForm dialog(parent);
    dialog.SetNames(names);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Ticked();
}
