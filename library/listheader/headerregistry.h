#pragma once

#include <string>
#include <string_view>

class TListHeaderFormat;

// The pure text rules of the stored header settings; TListHeaderFormat::WriteToRegistry
// and ReadFromRegistry apply them to QSettings.

// A factor or offset as stored: general format with up to 15 significant digits and "."
// as the decimal point whatever the locale ("1", "0.001", "1E-7"). The reader takes "."
// and ",".
std::string SettingsNumberText(double value);

// The display order from a stored "Order" text: the IDs named, in the order named, then
// the columns not named, in storage order. IDs no column has, an ID named twice, more IDs
// than columns and characters other than digits, signs, blanks and commas are passed
// over, so Order always ends up a permutation of 0..Count-1.
void ApplyOrderText(TListHeaderFormat& format, std::string_view text);
