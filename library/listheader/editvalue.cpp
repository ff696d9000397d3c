#include "library/listheader/editvalue.h"

#include "library/listheader/textvalue.h"

#include <QLineEdit>

double EditValue(QLineEdit& edit, int mode)
{
    try {
        return TextToValue(edit.text().toStdString(), mode, false);
    } catch (...) {
        edit.setFocus();
        throw;
    }
}
