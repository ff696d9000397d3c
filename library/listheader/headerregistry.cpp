#include "library/listheader/headerregistry.h"

#include "library/listheader/listheaderformat.h"
#include "library/listheader/measurement.h"
#include "library/listheader/textvalue.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <charconv>
#include <limits>
#include <vector>

namespace {

constexpr const char* Organization = "Valmoro";
constexpr const char* HeadersGroup = "Headers";
constexpr const char* OrderValue = "Order";

// Separates the pieces of the user title part; a title must not contain it.
constexpr char Separator = '@';
// What an "@" inside a user title is written as: FULLWIDTH COMMERCIAL AT looks the same
// and keeps the stored text readable.
constexpr const char* SeparatorStandIn = "\xEF\xBC\xA0";

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Splits text at its first "@": the trimmed part before it is answered, the trimmed part
// after it stays in text. Without "@" the whole text is answered and text becomes empty.
std::string_view SplitPiece(std::string_view& text)
{
    const std::size_t at = text.find(Separator);
    if (at == std::string_view::npos) {
        const std::string_view piece = text;
        text = {};
        return piece;
    }
    const std::string_view piece = Trimmed(text.substr(0, at));
    text = Trimmed(text.substr(at + 1));
    return piece;
}

char AlignmentLetter(uint8_t alignment)
{
    return alignment == 2 ? 'c' : alignment == 1 ? 'r' : 'l';
}

uint8_t AlignmentValue(char letter)
{
    return letter == 'c' ? 2 : letter == 'r' ? 1 : 0;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Unsigned decimal digits from pos on, saturating at the 16-bit limit.
int ReadDigits(std::string_view text, std::size_t& pos)
{
    int value = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos)
        value = std::min(value * 10 + (text[pos] - '0'), 32767);
    return value;
}

// Whether a number format string starts at text: optional digits, an optional "." with
// digits, and the kind letter, which is mandatory.
bool HasFormatLetter(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && IsDigit(text[pos]))
        ++pos;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && IsDigit(text[pos]))
            ++pos;
    }
    return pos < text.size();
}

std::string FormatText(const TListHeaderFormatCol& column)
{
    std::string text;
    char letter = 'S';
    switch (column.Kind) {
    case 1:
        letter = 'I';
        break;
    case 2:
        text = std::to_string(column.Precision) + "." + std::to_string(column.Digits);
        letter = column.FloatFormat == 2 ? 'F' : column.FloatFormat == 1 ? 'E' : 'G';
        break;
    case 3:
        letter = 'C';
        break;
    default:
        break;
    }
    if (column.ShowZero)
        letter = static_cast<char>(letter - 'A' + 'a');
    return text + letter;
}

std::string UserTitleText(const std::string& title)
{
    std::string text;
    for (const char c : title) {
        if (c == Separator)
            text += SeparatorStandIn;
        else
            text += c;
    }
    return text;
}

// The key path Valmoro\<program>\Headers\<registryName>. An empty registry name stays
// at "Headers" itself.
class HeaderSettings {
public:
    HeaderSettings(const std::string& program, const std::string& registryName)
        : settings_(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(Organization),
                    QString::fromStdString(program))
    {
        settings_.beginGroup(QString::fromLatin1(HeadersGroup));
        if (!registryName.empty())
            settings_.beginGroup(QString::fromStdString(registryName));
    }

    bool Usable() const { return settings_.status() == QSettings::NoError; }

    bool Read(const QString& name, std::string& text) const
    {
        if (!settings_.contains(name))
            return false;
        const QVariant value = settings_.value(name);
        // A hand-edited file may hold an unquoted list; it is the text it was written as.
        if (value.typeId() == QMetaType::QStringList)
            text = value.toStringList().join(QLatin1Char(',')).toStdString();
        else
            text = value.toString().toStdString();
        return true;
    }

    void Write(const QString& name, const std::string& text)
    {
        settings_.setValue(name, QString::fromStdString(text));
    }

    void Flush() { settings_.sync(); }

private:
    QSettings settings_;
};

QString ColumnValueName(const TListHeaderFormatCol& column)
{
    return QString::number(column.ID);
}

} // namespace

std::string SettingsNumberText(double value)
{
    if (!std::isfinite(value))
        return "0";
    // to_chars ignores the locale, so the point is always ".".
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    // "1e+20" and "1e-07" as "1E20" and "1E-7".
    const std::size_t e = text.find('e');
    if (e != std::string::npos) {
        text[e] = 'E';
        std::size_t digits = e + 1;
        if (digits < text.size() && text[digits] == '+')
            text.erase(digits, 1);
        else if (digits < text.size() && text[digits] == '-')
            ++digits;
        while (digits + 1 < text.size() && text[digits] == '0')
            text.erase(digits, 1);
    }
    return text;
}

void ApplyOrderText(TListHeaderFormat& format, std::string_view text)
{
    const int count = std::clamp<int>(format.Count, 0, static_cast<int>(format.Columns.size()));
    std::vector<int16_t> order;
    std::vector<bool> placed(static_cast<std::size_t>(count), false);
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            ++pos;
        const bool signedNumber = pos + 1 < text.size() && (text[pos] == '-' || text[pos] == '+')
            && IsDigit(text[pos + 1]);
        if (pos < text.size() && (IsDigit(text[pos]) || signedNumber)) {
            const bool negative = text[pos] == '-';
            if (signedNumber)
                ++pos;
            long long id = 0;
            for (; pos < text.size() && IsDigit(text[pos]); ++pos)
                id = std::min<long long>(id * 10 + (text[pos] - '0'), 1LL << 40);
            if (negative)
                id = -id;
            for (int l = 0; l < count; ++l) {
                if (!placed[l] && format.Columns[l].ID == id) {
                    placed[l] = true;
                    order.push_back(static_cast<int16_t>(l));
                    break;
                }
            }
        } else if (pos < text.size() && text[pos] != ',') {
            ++pos;  // a character an order text does not have
        }
        if (pos < text.size() && text[pos] == ',')
            ++pos;
    }
    for (int j = 0; j < count; ++j) {
        if (!placed[j])
            order.push_back(static_cast<int16_t>(j));
    }
    format.Order = std::move(order);
}

std::string TListHeaderFormatCol::SettingsText() const
{
    std::string text;
    if (!Visible)
        text += '-';
    text += std::to_string(Width);
    text += AlignmentLetter(TitleAlignment);
    text += AlignmentLetter(DataAlignment);
    text += FormatText(*this);
    if (UserDefined) {
        text += Separator + UserTitleText(UserLines[0]);
        text += Separator + UserTitleText(UserLines[1]);
        text += Separator + SettingsNumberText(Factor);
        text += Separator + SettingsNumberText(Offset);
    } else if (Lines[1].CurrentUnit >= 0 && Lines[1].CurrentUnit != Lines[1].DefaultUnit) {
        text += '#';
        text += std::to_string(Lines[1].CurrentUnit);
    }
    return text;
}

void TListHeaderFormatCol::ApplySettings(const std::string& text)
{
    std::string_view rest = text;
    const std::string_view head = Trimmed(SplitPiece(rest));

    // Settings are read into a copy, so that a text that breaks off or a factor that is
    // no valid expression leaves the column as it was.
    TListHeaderFormatCol column = *this;
    std::size_t pos = 0;
    column.Visible = !(pos < head.size() && head[pos] == '-');
    if (!column.Visible)
        ++pos;
    column.Width = static_cast<int16_t>(ReadDigits(head, pos));
    if (pos + 2 > head.size() || !HasFormatLetter(head.substr(pos + 2)))
        return;
    column.TitleAlignment = AlignmentValue(head[pos++]);
    column.DataAlignment = AlignmentValue(head[pos++]);
    pos += column.ParseFormat(head.substr(pos));
    if (pos < head.size() && head[pos] == '#' && pos + 1 < head.size() && IsDigit(head[pos + 1])) {
        ++pos;
        SetUnit(column.Lines[1], ReadDigits(head, pos));
    }

    column.UserDefined = !rest.empty();
    if (column.UserDefined) {
        column.UserLines[0] = std::string(SplitPiece(rest));
        column.UserLines[1] = std::string(SplitPiece(rest));
        if (!rest.empty()) {
            column.Factor = static_cast<float>(TextToValue(std::string(SplitPiece(rest)), 0, false));
            column.Offset = static_cast<float>(TextToValue(std::string(SplitPiece(rest)), 0, true));
        }
    }
    *this = std::move(column);
}

void TListHeaderFormat::WriteToRegistry(const std::string& program, const std::string& registryName) const
{
    HeaderSettings settings(program, registryName);
    if (!settings.Usable())
        return;
    std::string order;
    for (int position = 0; position < Count; ++position) {
        const TListHeaderFormatCol* column = Column(position);
        if (!column)
            continue;
        if (!order.empty())
            order += ',';
        order += std::to_string(column->ID);
    }
    settings.Write(QString::fromLatin1(OrderValue), order);
    for (int position = 0; position < Count; ++position) {
        if (const TListHeaderFormatCol* column = Column(position))
            settings.Write(ColumnValueName(*column), column->SettingsText());
    }
    settings.Flush();
}

void TListHeaderFormat::ReadFromRegistry(const std::string& program, const std::string& registryName)
{
    const HeaderSettings settings(program, registryName);
    if (!settings.Usable())
        return;
    std::string text;
    if (settings.Read(QString::fromLatin1(OrderValue), text))
        ApplyOrderText(*this, text);
    for (int position = 0; position < Count; ++position) {
        TListHeaderFormatCol* column = Column(position);
        if (column && settings.Read(ColumnValueName(*column), text))
            column->ApplySettings(text);
    }
}
