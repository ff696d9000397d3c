#pragma once

class QLineEdit;

// TextToValue (emptyIsZero off) on the edit's current text. When the text is rejected the
// edit takes the keyboard focus, so the user lands on the field to correct, and the error
// goes on to the caller unchanged.
double EditValue(QLineEdit& edit, int mode);
