#pragma once

#include "library/listheader/clipboardexport.h"

#include <QPointer>
#include <QTreeWidget>

#include <string>
#include <vector>

class TListHeader;

// A report-style list that takes its columns (widths and value alignments) from a
// TListHeader of the same window and keeps that header scrolled in step with its own
// horizontal scrolling. Rows are top-level items: the item's text 0 is its caption, the
// further texts are its sub-items.
class TListViewWithHeader : public QTreeWidget {
    Q_OBJECT
    Q_PROPERTY(QString HeaderName READ headerName WRITE setHeaderName)

public:
    explicit TListViewWithHeader(QWidget* parent = nullptr);
    ~TListViewWithHeader() override;

    std::string HeaderName;
    QPointer<TListHeader> Header;

    // Links the list to the header of that name among its window's components; a name
    // that is not a TListHeader's leaves HeaderName empty (and the link as it was).
    void SetHeaderName(const std::string& name);
    // Hands the list's horizontal scroll position to the header.
    void RecalcScrollPos();
    void ListResize();

    void RemoveColumns();
    // Appends a column: alignment 0 left, 1 right, 2 centre; width in pixels.
    void AddColumn(int alignment, int width);
    // The alignment of a column's values, as AddColumn set it.
    Qt::Alignment ColumnAlignment(int column) const;

    // The rows as the clipboard export reads them.
    std::vector<TExportItem> ExportItems() const;

    QString headerName() const { return QString::fromStdString(HeaderName); }
    void setHeaderName(const QString& name) { SetHeaderName(name.toStdString()); }

protected:
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ScrollEvent();

    std::vector<Qt::Alignment> alignments_;
};
