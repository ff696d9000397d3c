#pragma once

#include "host/hostbackend.h"

#include <string>
#include <string_view>

// The text a cell value stands for: "" for an empty cell, all the digits of a whole
// number, the shortest plain decimal with "." that reads back to the same value for
// other numbers (never an exponent), ISO dates, TRUE/FALSE.
// An error value has no text: throws HostError.
std::string CellValueText(const CellValue& value);

// How a written text is stored: a plain decimal number exactly as CellValueText would
// give it back becomes a number, everything else (formulas included) stays text.
CellValue CellValueForText(std::string_view text);

// Serial day number (1899-12-30 = 0) to "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM:SS".
std::string SerialDateText(double serial);
