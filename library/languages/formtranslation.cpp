#include "library/languages/formtranslation.h"

#include "library/languages/frameworkclasses.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeWidget>

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

// What an entry's value does to a component.
enum class Write {
    Text,            // the control's caption or text
    Hint,            // tooltip (and status tip of an action)
    ItemAtCounter,   // "Items.Strings": the item at the counter's position
    ColumnAtCounter, // "Columns.item.Caption": the list column at the counter's position
    EditLabel,       // the text of the edit's buddy label
    Filter,          // a file dialog's file-type filter
    Title,           // a file dialog's title
    Chart            // chart and series properties: no chart component exists
};

struct PropertyRow {
    const char* name;
    Write write;
};

struct ClassEntry {
    const char* type;
    std::vector<PropertyRow> properties;  // in the order they are tested
    bool charset;
};

const std::vector<ClassEntry>& ClassEntries()
{
    static const std::vector<ClassEntry> entries{
        {"TAction", {{"Caption", Write::Text}, {"Hint", Write::Hint}}, false},
        {"TButton", {{"Caption", Write::Text}, {"Hint", Write::Hint}}, true},
        {"TChart",
         {{"Title.Text.Strings", Write::Chart},
          {"BottomAxis.Title.Caption", Write::Chart},
          {"LeftAxis.Title.Caption", Write::Chart},
          {"RightAxis.Title.Caption", Write::Chart},
          {"TopAxis.Title.Caption", Write::Chart}},
         false},
        {"TCheckBox", {{"Caption", Write::Text}}, true},
        {"TCheckListBox", {{"Items.Strings", Write::ItemAtCounter}}, true},
        {"TComboBox", {{"Text", Write::Text}, {"Hint", Write::Hint}, {"Items.Strings", Write::ItemAtCounter}}, true},
        {"TEdit", {{"Text", Write::Text}, {"Hint", Write::Hint}}, true},
        {"TGroupBox", {{"Caption", Write::Text}, {"Hint", Write::Hint}}, true},
        {"TImage", {{"Hint", Write::Hint}}, false},
        {"TLabel", {{"Caption", Write::Text}, {"Hint", Write::Hint}}, false},
        {"TLabeledEdit", {{"EditLabel.Caption", Write::EditLabel}, {"Hint", Write::Hint}, {"Text", Write::Text}}, false},
        {"TListHeader", {{"Hint", Write::Hint}}, false},
        {"TListView", {{"Columns.item.Caption", Write::ColumnAtCounter}, {"Hint", Write::Hint}}, true},
        {"TMenuItem", {{"Caption", Write::Text}, {"Hint", Write::Hint}}, false},
        {"TOpenDialog", {{"Filter", Write::Filter}, {"Title", Write::Title}}, false},
        {"TPageControl", {{"Hint", Write::Hint}}, true},
        {"TPanel", {{"Caption", Write::Text}}, true},
        {"TRadioButton", {{"Caption", Write::Text}}, true},
        {"TRadioGroup", {{"Caption", Write::Text}, {"Items.Strings", Write::ItemAtCounter}}, true},
        {"TRichEdit", {{"Hint", Write::Hint}}, false},
        {"TSaveDialog", {{"Filter", Write::Filter}, {"Title", Write::Title}}, false},
        {"TScrollBox", {{"Hint", Write::Hint}}, false},
        {"TSeries", {{"Title", Write::Chart}, {"LegendTitle", Write::Chart}, {"Legend.Text", Write::Chart}}, false},
        {"TSpeedButton", {{"Caption", Write::Text}, {"Hint", Write::Hint}}, true},
        {"TTabSheet", {{"Caption", Write::Text}}, true},
        {"TToolButton", {{"Caption", Write::Text}, {"Hint", Write::Hint}}, false},
        {"TUpDown", {{"Hint", Write::Hint}}, false},
    };
    return entries;
}

const ClassEntry* FindClassEntry(std::string_view type)
{
    const auto& entries = ClassEntries();
    const auto found = std::find_if(entries.begin(), entries.end(), [type](const ClassEntry& e) { return type == e.type; });
    return found == entries.end() ? nullptr : &*found;
}

void SetText(QObject& component, const QString& value)
{
    if (auto* stack = qobject_cast<QStackedWidget*>(component.parent())) {
        if (auto* tabs = qobject_cast<QTabWidget*>(stack->parent())) {
            const int index = tabs->indexOf(qobject_cast<QWidget*>(&component));
            if (index >= 0) {
                tabs->setTabText(index, value);
                return;
            }
        }
    }
    if (auto* button = qobject_cast<QAbstractButton*>(&component))
        button->setText(value);
    else if (auto* label = qobject_cast<QLabel*>(&component))
        label->setText(value);
    else if (auto* edit = qobject_cast<QLineEdit*>(&component))
        edit->setText(value);
    else if (auto* group = qobject_cast<QGroupBox*>(&component))
        group->setTitle(value);
    else if (auto* combo = qobject_cast<QComboBox*>(&component)) {
        // A drop-down list without typing takes the item of that text, as the framework's does.
        if (combo->isEditable())
            combo->setEditText(value);
        else
            combo->setCurrentText(value);
    } else if (auto* action = qobject_cast<QAction*>(&component))
        action->setText(value);
    else
        // A plain panel has no text of its own to show; the caption is kept with it.
        component.setProperty("Caption", value);
}

void SetHint(QObject& component, const QString& value)
{
    if (auto* action = qobject_cast<QAction*>(&component)) {
        action->setToolTip(value);
        action->setStatusTip(value);
    } else if (auto* widget = qobject_cast<QWidget*>(&component)) {
        widget->setToolTip(value);
    }
}

// Only existing items are replaced: the entry never adds any.
void SetItem(QObject& component, int position, const QString& value)
{
    if (auto* combo = qobject_cast<QComboBox*>(&component)) {
        if (position < combo->count())
            combo->setItemText(position, value);
    } else if (auto* list = qobject_cast<QListWidget*>(&component)) {
        if (QListWidgetItem* item = list->item(position))
            item->setText(value);
    } else if (auto* group = qobject_cast<TRadioGroup*>(&component)) {
        const auto items = group->Items();
        if (position < static_cast<int>(items.size()))
            items[position]->setText(value);
    }
}

void SetColumnCaption(QObject& component, int position, const QString& value)
{
    auto* list = qobject_cast<QTreeWidget*>(&component);
    if (list && position < list->columnCount())
        list->headerItem()->setText(position, value);
}

void SetEditLabel(QObject& component, const QString& value)
{
    auto* edit = qobject_cast<QWidget*>(&component);
    if (!edit)
        return;
    for (QLabel* label : edit->window()->findChildren<QLabel*>()) {
        if (label->buddy() == edit) {
            label->setText(value);
            return;
        }
    }
}

void WriteValue(QObject& component, Write write, const QString& value, int& counter)
{
    switch (write) {
    case Write::Text: SetText(component, value); break;
    case Write::Hint: SetHint(component, value); break;
    case Write::ItemAtCounter: SetItem(component, counter++, value); break;
    case Write::ColumnAtCounter: SetColumnCaption(component, counter++, value); break;
    case Write::EditLabel: SetEditLabel(component, value); break;
    case Write::Filter:
        if (auto* dialog = qobject_cast<QFileDialog*>(&component))
            dialog->setNameFilters(NameFiltersFromFilter(value));
        break;
    case Write::Title:
        if (auto* dialog = qobject_cast<QFileDialog*>(&component))
            dialog->setWindowTitle(value);
        break;
    case Write::Chart: break;
    }
}

QObject* FindComponent(QWidget& owner, const std::string& name)
{
    const QString wanted = QString::fromStdString(name);
    for (QObject* component : OwnedComponents(owner)) {
        if (component->objectName() == wanted)
            return component;
    }
    return nullptr;
}

} // namespace

std::string TLanguageQtWindow::WindowName() const
{
    return window_.objectName().toStdString();
}

void TLanguageQtWindow::ApplyEntry(const TLanguageForm& entry, int32_t charset)
{
    Apply(entry, window_, charset);
}

void Apply(const TLanguageForm& entry, QWidget& form, int32_t charset)
{
    const std::size_t count = std::min(entry.PropertyNames.size(), entry.PropertyValues.size());
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& name = entry.PropertyNames[i];
        const QString value = QString::fromStdString(entry.PropertyValues[i]);
        if (name == "Caption")
            form.setWindowTitle(value);
        else if (name == "Hint")
            form.setToolTip(value);
        else if (name == "HelpFile")
            form.setProperty(HelpFileProperty, value);
    }
    if (charset != -1)
        form.setProperty(FontCharsetProperty, charset);
    for (const TLanguageFormItem& item : entry.Items)
        Apply(item, form, charset);
}

void Apply(const TLanguageFormItem& entry, QWidget& owner, int32_t charset)
{
    QObject* component = FindComponent(owner, entry.Name);
    if (!component)
        return;
    const ClassEntry* row = FindClassEntry(entry.Type);
    // Only a component of exactly that class: sibling classes that share a Qt class (a
    // picture and a text label, a tool bar button and a speed button) differ in what
    // their properties mean.
    if (!row || FrameworkClassName(*component) != entry.Type)
        return;
    int counter = 0;
    const std::size_t count = std::min(entry.PropertyNames.size(), entry.PropertyValues.size());
    for (std::size_t i = 0; i < count; ++i) {
        const auto property = std::find_if(row->properties.begin(), row->properties.end(),
                                           [&](const PropertyRow& p) { return entry.PropertyNames[i] == p.name; });
        if (property != row->properties.end())
            WriteValue(*component, property->write, QString::fromStdString(entry.PropertyValues[i]), counter);
    }
    if (row->charset && charset != -1)
        component->setProperty(FontCharsetProperty, charset);
}

void TranslateForm(QWidget& form)
{
    TLanguageQtWindow window(form);
    LanguageStore.TranslateForm(window);
}

QStringList NameFiltersFromFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString masks = parts[i + 1];
        masks.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters.append(parts[i] + QStringLiteral(" (") + masks + QLatin1Char(')'));
    }
    return filters;
}
