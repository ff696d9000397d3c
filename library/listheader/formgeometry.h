#pragma once

#include <QRect>

#include <string>
#include <string_view>

class QFont;
class QWidget;

// The text rules and Qt mappings behind TListHeader's window geometry services
// (ReadMaximalization, WriteMaximalization, FormScaling).

// A window's rectangle as stored and checked: right and bottom are exclusive.
struct TFormRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    friend bool operator==(const TFormRect&, const TFormRect&) = default;
};

// trunc(value × scaling), toward zero.
int ScaledValue(int value, float scaling);
// trunc(value / scaling), toward zero.
int UnscaledValue(int value, float scaling);

// The stored "FormPosition" text, "left,top,width,height": left and top first, then,
// only for a sizeable window, width and height; each number is taken only where a ","
// follows it after its first character, the last one as the rest of the text. Starts
// from the window's current rectangle. Throws LibraryError for a number that is not an
// integer.
TFormRect StoredFormRect(std::string_view stored, TFormRect current, bool sizeable);

// Whether the rectangle lies on the desktop: some horizontal and some vertical edge
// within it.
bool FitsDesktop(const TFormRect& rect, const QRect& desktop);

// The "FormPosition" text of a window: left,top,width/scaling,height/scaling.
std::string FormPositionText(int left, int top, int width, int height, float scaling);

// The framework's border styles and icons on Qt windows: a window of fixed size stands
// for the dialog and single borders, the maximise button for the border icon of that name
// (plain top-level windows have it unless their flags say otherwise).
bool IsSizeable(const QWidget& form);
bool HasMaximizeButton(const QWidget& form);
// Lifts a fixed size and adds the maximise button.
void MakeSizeable(QWidget& form);

// The font with its size (points, or pixels for a pixel-sized font) scaled.
QFont ScaledFont(const QFont& font, float scaling);
