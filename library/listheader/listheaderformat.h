#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Which module flags a column's flag list must share to stay in its format. All bits set
// until the host program narrows it; the library itself never changes it.
extern uint32_t ModuleMask;

// The codes NextMarkupPiece returns: what the backslash sequence after a piece asks for.
enum TMarkupCode : int {
    MarkupSuperscript = 0,  // "\u"
    MarkupSubscript = 1,    // "\d"
    MarkupSymbol = 2,       // "\f"
    MarkupPlain = 3,        // "\p"
    MarkupBackslash = 4,    // "\\": the backslash is already at the end of the piece
    MarkupHeaderEnd = 5,    // "\;": what follows is not shown in the header
    MarkupNone = 6          // end of text, or an unknown sequence that was dropped
};

// Splits the next piece off a title text: piece gets the characters before the first
// backslash sequence, text keeps what follows it. Callers loop until text is empty, drawing
// each piece in the current style and then switching style by the code returned.
// A backslash as the last character is dropped like an unknown sequence.
int NextMarkupPiece(std::string& text, std::string& piece);

// One title line of a column: its text in title markup and, optionally, the measured
// quantity whose unit it shows.
class TListHeaderFormatColLine {
public:
    std::string Text;
    std::string MeasurementID;
    int16_t DefaultUnit = -1;
    int16_t CurrentUnit = -1;

    friend bool operator==(const TListHeaderFormatColLine&, const TListHeaderFormatColLine&) = default;
};

// One column of a header format: layout, how its values are to be shown, its two title
// lines and the user's own title. Plain value class.
class TListHeaderFormatCol {
public:
    uint8_t TitleAlignment = 0;  // 0 left, 1 right, 2 centre
    uint8_t DataAlignment = 0;
    bool Visible = true;
    int16_t ID = 0;
    int16_t Width = 50;  // in average character widths of the header font
    int32_t Kind = 0;    // 0 text, 1 integer, 2 real, 3 "C"
    int16_t Precision = 5;
    int16_t Digits = 3;
    bool ShowZero = true;
    uint8_t FloatFormat = 0;  // 0 general, 1 scientific, 2 fixed point
    std::array<TListHeaderFormatColLine, 2> Lines;
    bool ModuleVisible = true;
    bool UserDefined = false;
    std::array<std::string, 2> UserLines;
    float Factor = 1.0f;
    float Offset = 0.0f;

    // The title line shown: the user's when UserDefined, else the standard one; empty for
    // a line other than 0 or 1.
    const std::string& Title(int line) const;

    // Reads a number format string such as "5.2f" into Kind, Precision, Digits, ShowZero
    // and FloatFormat. Returns the position after the characters used.
    std::size_t ParseFormat(std::string_view text);

    // Evaluates a module flag list such as "[1,2]" or "[!4]" against ModuleMask into
    // ModuleVisible. Returns the position after the list (0 when the text has none).
    std::size_t ParseModulFlag(std::string_view text);

    // The column's stored settings text, such as "12cr8.3f", and its reading back.
    // Defined in headerregistry.cpp (target korvex_headerformat).
    std::string SettingsText() const;
    void ApplySettings(const std::string& text);

    friend bool operator==(const TListHeaderFormatCol&, const TListHeaderFormatCol&) = default;
};

// The columns of a list with their display order.
class TListHeaderFormat {
public:
    int16_t Count = 0;
    int16_t Rows = 1;  // title lines of every column: 1 or 2
    std::vector<TListHeaderFormatCol> Columns;  // storage order
    std::vector<int16_t> Order;                 // display position -> index into Columns

    void Clear();

    // The column shown at a display position; nullptr outside 0..Count-1 (or when the
    // order names no stored column).
    TListHeaderFormatCol* Column(int position);
    const TListHeaderFormatCol* Column(int position) const;

    // Exchanges two display positions; does nothing unless both are in 0..Count-1.
    void Swap(int a, int b);

    // Deep copy of another format; assigning a format to itself changes nothing.
    void Assign(const TListHeaderFormat& other);

    // Fills a cleared format from the program's resources of that name; always true.
    // Defined in headerformatload.cpp (target korvex_headerformat).
    bool Load(const std::string& name);

    // The user's overlay under Valmoro\<program>\Headers\<registryName>.
    // Defined in headerregistry.cpp (target korvex_headerformat).
    void WriteToRegistry(const std::string& program, const std::string& registryName) const;
    void ReadFromRegistry(const std::string& program, const std::string& registryName);

    friend bool operator==(const TListHeaderFormat&, const TListHeaderFormat&) = default;
};
