#include "host/celladdress.h"

#include "common/messages.h"
#include "host/hostbackend.h"

#include <cctype>
#include <limits>

namespace {

int UpperLetter(char c)
{
    return std::toupper(static_cast<unsigned char>(c));
}

bool IsLetter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

int CellNameColumn(std::string_view cellName, size_t& rowStart)
{
    int column = UpperLetter(cellName[0]) - 'A';
    rowStart = 1;
    if (cellName.size() > 1 && IsLetter(cellName[1])) {
        column = (column + 1) * 26 + (UpperLetter(cellName[1]) - 'A');
        rowStart = 2;
    }
    return column + 1;
}

CellAddress ParseCellName(std::string_view cellName)
{
    CellAddress address;
    if (cellName.empty())
        return address;
    size_t rowStart = 0;
    const int column = CellNameColumn(cellName, rowStart);
    long long row = 0;
    for (size_t i = rowStart; i < cellName.size() && std::isdigit(static_cast<unsigned char>(cellName[i])); ++i) {
        row = row * 10 + (cellName[i] - '0');
        if (row > std::numeric_limits<int>::max())
            return {};
    }
    address.row = static_cast<int>(row);
    address.column = column;
    return address;
}

int ColumnIndex(std::string_view letters)
{
    if (letters.empty())
        throw HostError(Msg::NoColumnLetters);
    if (letters.size() == 1)
        return UpperLetter(letters[0]) - 'A';
    return (UpperLetter(letters[0]) - 'A' + 1) * 26 + (UpperLetter(letters[1]) - 'A');
}
