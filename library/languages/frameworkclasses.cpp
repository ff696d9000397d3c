#include "library/languages/frameworkclasses.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <array>

namespace {

bool ShowsPixmap(const QObject& object)
{
    const auto* label = qobject_cast<const QLabel*>(&object);
    return label && !label->pixmap().isNull();
}

bool IsTabPage(const QObject& object)
{
    const QObject* stack = object.parent();
    return object.isWidgetType() && qobject_cast<const QStackedWidget*>(stack)
           && qobject_cast<const QTabWidget*>(stack->parent());
}

bool IsOnToolBar(const QObject& object)
{
    return qobject_cast<const QToolBar*>(object.parent()) != nullptr;
}

bool IsInMenu(const QObject& object)
{
    const auto* action = qobject_cast<const QAction*>(&object);
    if (!action)
        return false;
    const auto shownIn = action->associatedObjects();
    return std::any_of(shownIn.begin(), shownIn.end(),
                       [](const QObject* where) { return qobject_cast<const QMenu*>(where) != nullptr; });
}

bool HasBuddyLabel(const QObject& object)
{
    const auto* widget = qobject_cast<const QWidget*>(&object);
    if (!widget)
        return false;
    const auto labels = widget->window()->findChildren<QLabel*>();
    return std::any_of(labels.begin(), labels.end(), [widget](const QLabel* label) { return label->buddy() == widget; });
}

bool OpensFiles(const QObject& object)
{
    const auto* dialog = qobject_cast<const QFileDialog*>(&object);
    return dialog && dialog->acceptMode() == QFileDialog::AcceptOpen;
}

bool SavesFiles(const QObject& object)
{
    const auto* dialog = qobject_cast<const QFileDialog*>(&object);
    return dialog && dialog->acceptMode() == QFileDialog::AcceptSave;
}

struct ClassRow {
    const char* framework;
    const char* qt;
    bool (*test)(const QObject&);  // a further condition, or nullptr
};

// A Qt class may stand for several framework classes: the rows with a further condition
// tell them apart, and the plain row takes what none of them claims.
const std::array<ClassRow, 26> ClassTable{{
    {"TButton", "QPushButton", nullptr},
    {"TCheckBox", "QCheckBox", nullptr},
    {"TCheckListBox", "QListWidget", nullptr},
    {"TComboBox", "QComboBox", nullptr},
    {"TEdit", "QLineEdit", nullptr},
    {"TLabeledEdit", "QLineEdit", HasBuddyLabel},
    {"TGroupBox", "QGroupBox", nullptr},
    {"TImage", "QLabel", ShowsPixmap},
    {"TLabel", "QLabel", nullptr},
    {"TMemo", "QPlainTextEdit", nullptr},
    {"TRichEdit", "QTextEdit", nullptr},
    {"TListView", "QTreeWidget", nullptr},
    {"TRadioButton", "QRadioButton", nullptr},
    {"TStatusBar", "QStatusBar", nullptr},
    {"TStringGrid", "QTableWidget", nullptr},
    {"TPageControl", "QTabWidget", nullptr},
    {"TTabSheet", "QWidget", IsTabPage},
    {"TPanel", "QFrame", nullptr},
    {"TScrollBox", "QScrollArea", nullptr},
    {"TUpDown", "QSpinBox", nullptr},
    {"TToolButton", "QToolButton", IsOnToolBar},
    {"TSpeedButton", "QToolButton", nullptr},
    {"TMenuItem", "QAction", IsInMenu},
    {"TAction", "QAction", nullptr},
    {"TOpenDialog", "QFileDialog", OpensFiles},
    {"TSaveDialog", "QFileDialog", SavesFiles},
}};

bool IsOwnClass(const char* className)
{
    return className[0] == 'T' && className[1] >= 'A' && className[1] <= 'Z';
}

// Components whose insides are framework components too; every other component is one
// piece whose Qt children are its own business.
bool IsContainer(const std::string& framework)
{
    static const std::array<const char*, 7> containers{
        "TPanel", "TGroupBox", "TRadioGroup", "TPageControl", "TTabSheet", "TScrollBox", "TStatusBar"};
    return framework.empty()
           || std::find(containers.begin(), containers.end(), framework) != containers.end();
}

void CollectComponents(QObject& parent, std::vector<QObject*>& out)
{
    for (QObject* child : parent.children()) {
        if (qobject_cast<QLayout*>(child))
            continue;
        const QString name = child->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            out.push_back(child);
        const auto* widget = qobject_cast<QWidget*>(child);
        if (widget && widget->isWindow())
            continue;
        if (IsContainer(FrameworkClassName(*child)))
            CollectComponents(*child, out);
    }
}

} // namespace

std::string FrameworkClassName(const QObject& object)
{
    const char* className = object.metaObject()->className();
    if (IsOwnClass(className))
        return className;
    // A row with a further condition names the narrower class and wins over the plain
    // row of the same Qt class, wherever the two stand in the table.
    const ClassRow* plain = nullptr;
    for (const ClassRow& row : ClassTable) {
        if (qstrcmp(row.qt, className) != 0)
            continue;
        if (!row.test)
            plain = plain ? plain : &row;
        else if (row.test(object))
            return row.framework;
    }
    return plain ? plain->framework : std::string();
}

std::vector<QObject*> OwnedComponents(QWidget& window)
{
    std::vector<QObject*> components;
    CollectComponents(window, components);
    return components;
}

// ---- TRadioGroup

TRadioGroup::TRadioGroup(QWidget* parent)
    : QGroupBox(parent)
{
}

std::vector<QRadioButton*> TRadioGroup::Items() const
{
    std::vector<QRadioButton*> items;
    for (QObject* child : children()) {
        if (auto* button = qobject_cast<QRadioButton*>(child))
            items.push_back(button);
    }
    return items;
}

int TRadioGroup::ItemIndex() const
{
    const auto items = Items();
    const auto checked = std::find_if(items.begin(), items.end(), [](const QRadioButton* b) { return b->isChecked(); });
    return checked == items.end() ? -1 : static_cast<int>(checked - items.begin());
}

void TRadioGroup::SetItemIndex(int index)
{
    const auto items = Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        QRadioButton* button = items[i];
        // Exclusive buttons cannot be unchecked one by one.
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(static_cast<int>(i) == index);
        button->setAutoExclusive(exclusive);
    }
}
