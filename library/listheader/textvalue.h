#pragma once

#include <string>

// Reading of a number typed by the user or stored in a file. The mode says how it is read
// and which values are accepted:
//   0 expression, any value       3 expression, less than 0
//   1 expression, greater than 0  4 expression, 0 or less
//   2 expression, 0 or greater    5 plain decimal number, any value
// The value is single precision, handed back widened. An empty text is 0 when emptyIsZero
// is set, whatever the mode. A rejected text throws LibraryError with the store's
// "IDS_WRONGVALUE" text, a space and the text (in mode 5 with its commas made points); a
// malformed expression throws LibraryError with the evaluator's error text alone.
// A mode outside 0..5 is a programming error: std::invalid_argument.
double TextToValue(const std::string& text, int mode, bool emptyIsZero = false);
