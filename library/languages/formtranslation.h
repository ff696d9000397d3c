#pragma once

#include "library/languages/vmlanguages.h"

#include <QStringList>

#include <cstdint>
#include <string>

class QObject;
class QWidget;

// Translation of Qt windows by the language store's window entries.
//
// A language's font character set has no Qt counterpart (Qt text is Unicode and a QFont
// carries no character set), so it is kept beside the font: the window and each component
// of a class that takes it get the integer dynamic property "FontCharset"; the fonts
// themselves are left alone. Window "HelpFile" entries become the dynamic property
// "HelpFile" of the window. Entries of the chart classes ("TChart", "TSeries") find no
// component of their kind and change nothing.

// The dynamic property that holds a translated font character set.
inline constexpr char FontCharsetProperty[] = "FontCharset";
// The dynamic property that holds a window's translated help file name.
inline constexpr char HelpFileProperty[] = "HelpFile";

// A Qt window as the language store sees it: found by its object name.
class TLanguageQtWindow : public TLanguageWindow {
public:
    explicit TLanguageQtWindow(QWidget& window) : window_(window) {}
    std::string WindowName() const override;
    void ApplyEntry(const TLanguageForm& entry, int32_t charset) override;

private:
    QWidget& window_;
};

// Writes a window entry into form: its own properties ("Caption", "Hint", "HelpFile"),
// the character set (unless -1), then each item entry in order.
void Apply(const TLanguageForm& entry, QWidget& form, int32_t charset);

// Writes an item entry into the first component of owner with the entry's name, when the
// entry's type is in the class table and the component is of that kind.
void Apply(const TLanguageFormItem& entry, QWidget& owner, int32_t charset);

// Applies the store's interface language to a freshly built window.
void TranslateForm(QWidget& form);

// "Text files|*.txt;*.text|All|*.*" -> "Text files (*.txt *.text)", "All (*.*)": the
// framework's file-type filter as Qt name filters.
QStringList NameFiltersFromFilter(const QString& filter);
