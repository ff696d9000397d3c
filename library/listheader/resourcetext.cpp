#include "library/listheader/resourcetext.h"

#include "library/xmlscanner/windows1252.h"

#include <QString>

#include <stdexcept>

std::string WidenAnsi(std::string_view text)
{
    QString wide;
    wide.reserve(static_cast<qsizetype>(text.size()));
    for (const char c : text)
        wide.append(QChar(Windows1252ToUnicode[static_cast<unsigned char>(c)]));
    return wide.toStdString();
}

std::string DecodeUtf8(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdString();
}

int16_t ParseInt16Attribute(std::string_view text, std::string_view name)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    std::size_t p = begin;
    bool negative = false;
    if (p < end && (text[p] == '+' || text[p] == '-'))
        negative = text[p++] == '-';
    long value = 0;
    const std::size_t digits = p;
    for (; p < end && text[p] >= '0' && text[p] <= '9'; ++p) {
        value = value * 10 + (text[p] - '0');
        if (value > 32768)
            break;
    }
    if (p == digits || p != end || (negative ? -value < -32768 : value > 32767))
        throw std::invalid_argument("\"" + std::string(name) + "\" is not a whole number in range: \""
                                    + std::string(text) + "\"");
    return static_cast<int16_t>(negative ? -value : value);
}
