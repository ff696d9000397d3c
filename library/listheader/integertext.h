#pragma once

#include <string_view>

// The integer a user typed or a stored text holds: optional blanks, an optional sign and
// decimal digits, within min..max. Anything else throws LibraryError with a Hungarian
// message naming the text, as the framework's conversion error does.
int IntegerFromText(std::string_view text, int min, int max);
