#include "library/listheader/changeheader.h"

#include "library/listheader/editvalue.h"
#include "library/languages/formtranslation.h"
#include "library/languages/frameworkclasses.h"
#include "library/listheader/integertext.h"
#include "library/languages/libraryerror.h"
#include "library/listheader/listheader.h"
#include "library/listheader/measurement.h"
#include "ui_changeheader.h"
#include "library/listheader/unitlist.h"
#include "library/languages/vmlanguages.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QStyledItemDelegate>
#include <QUrl>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int FirstColumnMessage = 32000;

// Draws the columns list's items from the format: check box and selection by the style,
// the titles as the header draws them.
class ColumnsListDelegate : public QStyledItemDelegate {
public:
    explicit ColumnsListDelegate(TChangeHeaderForm* form) : QStyledItemDelegate(form), form_(form) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        item.text.clear();
        const QWidget* list = option.widget;
        QStyle* style = list ? list->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, list);
        const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &item, list);
        painter->save();
        painter->setFont(option.font);
        painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                   : QPalette::Text));
        form_->ColumnsListDrawItem(*painter, index.row(), text);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), form_->LineHeight + 4};
    }

private:
    TChangeHeaderForm* form_;
};

int16_t LineHeightOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    return static_cast<int16_t>(metrics.height() + std::max(0, metrics.leading()));
}

// The header font's name and size on a control.
void TakeFontNameAndSize(QWidget& control, const QFont& font)
{
    QFont own = control.font();
    own.setFamily(font.family());
    if (font.pointSize() > 0)
        own.setPointSize(font.pointSize());
    else if (font.pixelSize() > 0)
        own.setPixelSize(font.pixelSize());
    control.setFont(own);
}

// The designed font is a narrow one; where it is missing, a condensed face a little
// smaller keeps the captions inside the places the layout gives them.
void UseDesignedFontOrStandIn(QWidget& form)
{
    const QString designed = form.font().family();
    if (QFontInfo(form.font()).family() == designed)
        return;
    QFont standIn = form.font();
    standIn.setFamilies({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans Narrow"),
                         QStringLiteral("Arial Narrow"), designed});
    standIn.setPointSizeF(7.5);
    form.setFont(standIn);
}

QString Number(int value)
{
    return QString::number(value);
}

int16_t Integer16(const QString& text)
{
    return static_cast<int16_t>(IntegerFromText(text.toStdString(), INT16_MIN, INT16_MAX));
}

} // namespace

std::string GeneralNumberText(double value, int precision)
{
    if (value == 0 || !std::isfinite(value))
        return value == 0 ? "0" : std::to_string(value);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", precision - 1, value);
    const char* e = std::strchr(buffer, 'e');
    const int exponent = std::atoi(e + 1);
    std::string mantissa(static_cast<const char*>(buffer), e);
    const auto stripZeros = [](std::string text) {
        if (text.find('.') != std::string::npos) {
            text.erase(text.find_last_not_of('0') + 1);
            if (text.back() == '.')
                text.pop_back();
        }
        return text;
    };
    if (exponent < precision && exponent >= -5) {
        std::snprintf(buffer, sizeof buffer, "%.*f", std::max(0, precision - 1 - exponent), value);
        return stripZeros(buffer);
    }
    return stripZeros(mantissa) + 'E' + std::to_string(exponent);
}

THelpCall HelpCall(const QString& helpFile, int context)
{
    THelpCall call;
    if (helpFile.right(3).compare(QLatin1String("hlp"), Qt::CaseInsensitive) == 0) {
        call.Classic = true;
        call.Arguments = {helpFile};
        return call;
    }
    call.Program = QStringLiteral("HH.exe");
    call.Arguments = {QStringLiteral("-mapid"), QString::number(context), QStringLiteral("ms-its:") + helpFile};
    return call;
}

// ---- TChangeHeaderForm

TChangeHeaderForm::TChangeHeaderForm(QWidget* owner, TListHeaderFormat& editedFormat, const QFont& font,
                                     const std::string& registryName, const std::string& programName)
    : QDialog(owner)
    , EditedFormat(editedFormat)
    , ProgramName(programName)
    , RegistryName(registryName)
    , ui_(std::make_unique<Ui::TChangeHeaderForm>())
{
    ui_->setupUi(this);
    UseDesignedFontOrStandIn(*this);
    TranslateForm(*this);
    TakeFontNameAndSize(*ui_->ViewPanel, font);
    TakeFontNameAndSize(*ui_->ColumnsList, font);
    LineHeight = LineHeightOf(ui_->ViewPanel->font());
    ui_->ColumnsList->setItemDelegate(new ColumnsListDelegate(this));
    ui_->ColumnsList->setUniformItemSizes(true);
    ui_->ViewPanel->installEventFilter(this);
    Backup.Assign(EditedFormat);
    Current = -1;

    connect(ui_->ColumnsList, &QListWidget::currentRowChanged, this, &TChangeHeaderForm::ClickEvent);
    connect(ui_->MoveUpButton, &QPushButton::clicked, this, &TChangeHeaderForm::MoveUpButtonClick);
    connect(ui_->MoveDownButton, &QPushButton::clicked, this, &TChangeHeaderForm::MoveDownButtonClick);
    connect(ui_->UserDefined, &QCheckBox::clicked, this, &TChangeHeaderForm::UserDefinedClick);
    connect(ui_->Units, &QComboBox::activated, this, &TChangeHeaderForm::UnitsChange);
    connect(ui_->OK, &QPushButton::clicked, this, &TChangeHeaderForm::OKClick);
    connect(ui_->Cancel, &QPushButton::clicked, this, &TChangeHeaderForm::CancelClick);
    connect(ui_->Help, &QPushButton::clicked, this, &TChangeHeaderForm::HelpClick);
    Create();
}

TChangeHeaderForm::~TChangeHeaderForm() = default;

void TChangeHeaderForm::Create()
{
    for (int position = 0; position < EditedFormat.Count; ++position) {
        const TListHeaderFormatCol* column = EditedFormat.Column(position);
        auto* item = new QListWidgetItem(QString::number(position), ui_->ColumnsList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(column && column->Visible ? Qt::Checked : Qt::Unchecked);
    }
    if (EditedFormat.Count == 0) {
        // Nothing to edit: only OK, Cancel and Help stay usable.
        ui_->ColumnsList->setEnabled(false);
        ui_->Panel3->setEnabled(false);
        for (QWidget* control : ui_->Panel2->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (control != ui_->OK && control != ui_->Cancel && control != ui_->Help)
                control->setEnabled(false);
        }
        return;
    }
    const QSignalBlocker blocker(ui_->ColumnsList);
    ui_->ColumnsList->setCurrentRow(0);
    Current = 0;
    LoadColumn();
}

void TChangeHeaderForm::LoadColumn()
{
    TListHeaderFormatCol* column = EditedFormat.Column(Current);
    if (!column)
        return;
    ui_->Width->setText(Number(column->Width));
    ui_->TitleAlignment->SetItemIndex(column->TitleAlignment);
    ui_->DataAlignment->SetItemIndex(column->DataAlignment);
    ui_->TitleAlignment->setEnabled(Current > 0);
    ui_->DataAlignment->setEnabled(Current > 0);

    const bool number = column->Kind == 1 || column->Kind == 2;
    const bool real = column->Kind == 2;
    ui_->NumberPropertis->setEnabled(number);
    ui_->ShowZero->setEnabled(number);
    if (number)
        ui_->ShowZero->setChecked(column->ShowZero);
    if (real) {
        ui_->FloatFormat->SetItemIndex(column->FloatFormat);
        ui_->Precision->setText(Number(column->Precision));
        ui_->Digits->setText(Number(column->Digits));
    }
    for (QWidget* control : {static_cast<QWidget*>(ui_->FloatFormat), static_cast<QWidget*>(ui_->Label6),
                             static_cast<QWidget*>(ui_->Precision), static_cast<QWidget*>(ui_->Label7),
                             static_cast<QWidget*>(ui_->Digits)})
        control->setEnabled(real);

    ui_->UserDefined->setChecked(column->UserDefined);
    ui_->Factor->setText(QStringLiteral("1."));
    ui_->Offset->setText(QStringLiteral("0."));
    if (column->UserDefined) {
        ui_->FirstLine->setText(QString::fromStdString(column->UserLines[0]));
        ui_->SecondLine->setText(QString::fromStdString(column->UserLines[1]));
        if (real) {
            ui_->Factor->setText(QString::fromStdString(GeneralNumberText(column->Factor, 5)));
            ui_->Offset->setText(QString::fromStdString(GeneralNumberText(column->Offset, 5)));
        }
    } else {
        ui_->FirstLine->setText(QString::fromStdString(column->Lines[0].Text));
        ui_->SecondLine->setText(QString::fromStdString(column->Lines[1].Text));
    }

    const bool units = column->Lines[1].DefaultUnit >= 0;
    ui_->Label10->setVisible(units);
    ui_->Units->setVisible(units);
    if (units)
        FillUnitList(column->Lines[1], *ui_->Units, UnitIndexes);

    UpdateUserFields();
    ui_->ViewPanel->update();
    UpdateMoveButtons();
}

void TChangeHeaderForm::StoreColumn()
{
    TListHeaderFormatCol* column = EditedFormat.Column(Current);
    if (!column)
        return;
    column->Width = std::max<int16_t>(3, Integer16(ui_->Width->text()));
    if (ui_->TitleAlignment->ItemIndex() >= 0)
        column->TitleAlignment = static_cast<uint8_t>(ui_->TitleAlignment->ItemIndex());
    if (ui_->DataAlignment->ItemIndex() >= 0)
        column->DataAlignment = static_cast<uint8_t>(ui_->DataAlignment->ItemIndex());
    if (column->Kind == 1 || column->Kind == 2)
        column->ShowZero = ui_->ShowZero->isChecked();
    if (column->Kind == 2) {
        if (ui_->FloatFormat->ItemIndex() >= 0)
            column->FloatFormat = static_cast<uint8_t>(ui_->FloatFormat->ItemIndex());
        column->Precision = Integer16(ui_->Precision->text());
        column->Digits = Integer16(ui_->Digits->text());
    }
    column->UserDefined = ui_->UserDefined->isChecked();
    if (column->UserDefined) {
        column->UserLines[0] = ui_->FirstLine->text().toStdString();
        column->UserLines[1] = ui_->SecondLine->text().toStdString();
        column->Factor = static_cast<float>(EditValue(*ui_->Factor, 0));
        column->Offset = static_cast<float>(EditValue(*ui_->Offset, 0));
    }
}

bool TChangeHeaderForm::TryStoreColumn()
{
    try {
        StoreColumn();
        return true;
    } catch (const LibraryError& error) {
        QMessageBox::warning(this, QGuiApplication::applicationDisplayName(), QString::fromUtf8(error.what()));
        return false;
    }
}

void TChangeHeaderForm::UpdateMoveButtons()
{
    ui_->MoveUpButton->setEnabled(Current > 1);
    ui_->MoveDownButton->setEnabled(Current > 0 && Current < EditedFormat.Count - 1);
}

void TChangeHeaderForm::UpdateUserFields()
{
    TListHeaderFormatCol* column = EditedFormat.Column(Current);
    if (!column)
        return;
    column->UserDefined = ui_->UserDefined->isChecked();
    const bool user = column->UserDefined;
    for (QWidget* control : {static_cast<QWidget*>(ui_->FirstLine), static_cast<QWidget*>(ui_->Label2),
                             static_cast<QWidget*>(ui_->SecondLine), static_cast<QWidget*>(ui_->Label4)})
        control->setEnabled(user);
    const bool factor = user && column->Kind == 2;
    for (QWidget* control : {static_cast<QWidget*>(ui_->Factor), static_cast<QWidget*>(ui_->Label5),
                             static_cast<QWidget*>(ui_->Offset), static_cast<QWidget*>(ui_->Label9)})
        control->setEnabled(factor);
}

void TChangeHeaderForm::ClickEvent()
{
    const int selected = ui_->ColumnsList->currentRow();
    if (selected < 0 || selected == Current)
        return;
    if (Current >= 0 && !TryStoreColumn()) {
        // The switch is not carried out: the list goes back to the column being edited.
        const QSignalBlocker blocker(ui_->ColumnsList);
        ui_->ColumnsList->setCurrentRow(Current);
        return;
    }
    Current = selected;
    LoadColumn();
}

void TChangeHeaderForm::MoveColumn(int to)
{
    if (!TryStoreColumn())
        return;
    QListWidgetItem* here = ui_->ColumnsList->item(Current);
    QListWidgetItem* there = ui_->ColumnsList->item(to);
    if (!here || !there)
        return;
    const Qt::CheckState state = here->checkState();
    here->setCheckState(there->checkState());
    there->setCheckState(state);
    EditedFormat.Swap(Current, to);
    Current = to;
    {
        const QSignalBlocker blocker(ui_->ColumnsList);
        ui_->ColumnsList->setCurrentRow(Current);
    }
    ui_->ColumnsList->viewport()->update();
    UpdateMoveButtons();
}

void TChangeHeaderForm::MoveUpButtonClick()
{
    MoveColumn(Current - 1);
}

void TChangeHeaderForm::MoveDownButtonClick()
{
    MoveColumn(Current + 1);
}

void TChangeHeaderForm::UserDefinedClick()
{
    UpdateUserFields();
}

void TChangeHeaderForm::UnitsChange()
{
    TListHeaderFormatCol* column = EditedFormat.Column(Current);
    if (!column)
        return;
    TListHeaderFormatColLine& line = column->Lines[1];
    if (FindMeasurement(line.MeasurementID))
        SetUnit(line, SelectedUnit(*ui_->Units, UnitIndexes));
    ui_->ViewPanel->update();
    ui_->ColumnsList->viewport()->update();
}

void TChangeHeaderForm::ViewPanelPaint(QPainter& canvas)
{
    const TListHeaderFormatCol* column = EditedFormat.Column(Current);
    if (!column)
        return;
    const QWidget& panel = *ui_->ViewPanel;
    canvas.fillRect(panel.rect(), panel.palette().color(QPalette::Button));
    canvas.setPen(panel.palette().color(QPalette::ButtonText));
    canvas.setFont(panel.font());
    const int lineHeight = LineHeightOf(canvas.font());
    const int charWidth = QFontMetrics(canvas.font()).averageCharWidth();
    const int top = (panel.height() - EditedFormat.Rows * lineHeight) / 2;
    QRect rect(0, top, panel.width(), panel.height() - top);
    for (int line = 0; line < EditedFormat.Rows; ++line) {
        DrawMarkupText(canvas, column->Title(line), 2, false, rect, lineHeight, charWidth);
        rect.setTop(rect.top() + lineHeight);
    }
}

void TChangeHeaderForm::ColumnsListDrawItem(QPainter& canvas, int index, const QRect& rect)
{
    const TListHeaderFormatCol* column = EditedFormat.Column(index);
    if (!column)
        return;
    std::string text = column->Title(0);
    for (int line = 1; line < EditedFormat.Rows; ++line)
        text += "\\p " + column->Title(line);
    const QFontMetrics metrics(canvas.font());
    DrawMarkupText(canvas, text, 0, false, rect, LineHeightOf(canvas.font()), metrics.averageCharWidth());
}

void TChangeHeaderForm::OKClick()
{
    if (Current >= 0 && !TryStoreColumn())
        return;
    for (int position = 0; position < EditedFormat.Count; ++position) {
        const bool ticked = ui_->ColumnsList->item(position)->checkState() == Qt::Checked;
        if (position > 0) {
            if (TListHeaderFormatCol* column = EditedFormat.Column(position))
                column->Visible = ticked;
        } else if (!ticked) {
            std::string text = LanguageStore.GetResourceText(FirstColumnMessage);
            if (text.empty())
                text = "Az első oszlop mindig látható, nem rejthető el.";
            QMessageBox::information(this, QGuiApplication::applicationDisplayName(), QString::fromStdString(text));
        }
    }
    if (!RegistryName.empty())
        EditedFormat.WriteToRegistry(ProgramName, RegistryName);
    accept();
}

void TChangeHeaderForm::CancelClick()
{
    reject();
}

void TChangeHeaderForm::reject()
{
    EditedFormat.Assign(Backup);
    QDialog::reject();
}

void TChangeHeaderForm::HelpClick()
{
    const QString helpFile = qApp->property(HelpFileProperty).toString();
    if (helpFile.isEmpty())
        return;
    const THelpCall call = HelpCall(helpFile, HelpContext);
#ifdef Q_OS_WIN
    if (!call.Classic) {
        QProcess::startDetached(call.Program, call.Arguments);
        return;
    }
#endif
    // Elsewhere, and for the classic format, the desktop opens the file with its viewer.
    QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile));
}

bool TChangeHeaderForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->ViewPanel && event->type() == QEvent::Paint) {
        QPainter canvas(ui_->ViewPanel);
        ViewPanelPaint(canvas);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
