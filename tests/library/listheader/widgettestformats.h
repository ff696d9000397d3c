#pragma once

#include "library/listheader/listheaderformat.h"

#include <QFont>

#include <initializer_list>
#include <string>

// Header formats and the font the widget tests measure with.

struct TestColumn {
    int16_t width;
    const char* title0;
    const char* title1 = "";
    bool visible = true;
    int32_t kind = 0;
    uint8_t titleAlignment = 0;
    uint8_t dataAlignment = 0;
};

// A format in display order = storage order, with IDs 1, 2, 3, ...
inline TListHeaderFormat MakeFormat(int16_t rows, std::initializer_list<TestColumn> columns)
{
    TListHeaderFormat format;
    format.Rows = rows;
    int16_t id = 1;
    for (const TestColumn& c : columns) {
        TListHeaderFormatCol column;
        column.ID = id++;
        column.Width = c.width;
        column.Visible = c.visible;
        column.Kind = c.kind;
        column.TitleAlignment = c.titleAlignment;
        column.DataAlignment = c.dataAlignment;
        column.Lines[0].Text = c.title0;
        column.Lines[1].Text = c.title1;
        format.Order.push_back(static_cast<int16_t>(format.Columns.size()));
        format.Columns.push_back(column);
    }
    format.Count = static_cast<int16_t>(format.Columns.size());
    return format;
}

// DejaVu Sans at 11 pixels: text height 13, external leading 0, average width 6.
inline QFont MeasuredFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    return font;
}
