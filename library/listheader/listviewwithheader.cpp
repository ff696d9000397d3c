#include "library/listheader/listviewwithheader.h"

#include "library/languages/frameworkclasses.h"
#include "library/listheader/listheader.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

Qt::Alignment AlignmentOf(int code)
{
    switch (code) {
    case 1: return Qt::AlignRight;
    case 2: return Qt::AlignHCenter;
    default: return Qt::AlignLeft;
    }
}

// Aligns every value of a column as the column says, unless an item asks otherwise.
class ColumnAlignmentDelegate : public QStyledItemDelegate {
public:
    explicit ColumnAlignmentDelegate(TListViewWithHeader* list) : QStyledItemDelegate(list), list_(list) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!index.data(Qt::TextAlignmentRole).isValid())
            option->displayAlignment = list_->ColumnAlignment(index.column()) | Qt::AlignVCenter;
    }

private:
    TListViewWithHeader* list_;
};

} // namespace

TListViewWithHeader::TListViewWithHeader(QWidget* parent)
    : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setColumnCount(0);
    header()->setStretchLastSection(false);
    header()->setMinimumSectionSize(1);
    setItemDelegate(new ColumnAlignmentDelegate(this));
}

TListViewWithHeader::~TListViewWithHeader() = default;

void TListViewWithHeader::SetHeaderName(const std::string& name)
{
    HeaderName.clear();
    const QString wanted = QString::fromStdString(name);
    for (QObject* component : OwnedComponents(*window())) {
        if (component->objectName() == wanted && qstrcmp(component->metaObject()->className(), "TListHeader") == 0) {
            Header = static_cast<TListHeader*>(component);
            Header->SetList(this);
            HeaderName = name;
        }
    }
}

void TListViewWithHeader::RecalcScrollPos()
{
    if (Header)
        Header->SetScrollPos(horizontalScrollBar()->value());
}

void TListViewWithHeader::ListResize()
{
    RecalcScrollPos();
}

void TListViewWithHeader::RemoveColumns()
{
    alignments_.clear();
    setColumnCount(0);
}

void TListViewWithHeader::AddColumn(int alignment, int width)
{
    const int column = columnCount();
    alignments_.push_back(AlignmentOf(alignment));
    setColumnCount(column + 1);
    headerItem()->setText(column, QString());
    headerItem()->setTextAlignment(column, AlignmentOf(alignment) | Qt::AlignVCenter);
    header()->resizeSection(column, width);
}

Qt::Alignment TListViewWithHeader::ColumnAlignment(int column) const
{
    return column >= 0 && column < static_cast<int>(alignments_.size()) ? alignments_[column] : Qt::AlignLeft;
}

std::vector<TExportItem> TListViewWithHeader::ExportItems() const
{
    std::vector<TExportItem> items;
    items.reserve(topLevelItemCount());
    for (int row = 0; row < topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = topLevelItem(row);
        TExportItem exported;
        exported.Caption = item->text(0).toStdString();
        for (int column = 1; column < item->columnCount(); ++column)
            exported.SubItems.push_back(item->text(column).toStdString());
        items.push_back(std::move(exported));
    }
    return items;
}

void TListViewWithHeader::scrollContentsBy(int dx, int dy)
{
    QTreeWidget::scrollContentsBy(dx, dy);
    if (dx != 0)
        ScrollEvent();
}

void TListViewWithHeader::resizeEvent(QResizeEvent* event)
{
    QTreeWidget::resizeEvent(event);
    ListResize();
}

void TListViewWithHeader::ScrollEvent()
{
    RecalcScrollPos();
}
