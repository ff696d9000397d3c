#pragma once

#include <QGroupBox>
#include <QRadioButton>

#include <string>
#include <vector>

class QObject;
class QWidget;

// The window framework's component classes as Qt widgets. Language files and the window
// scaling name components by the framework's class names ("TButton", "TLabel", ...); this
// is the one place that says which Qt class stands for which of them:
//
//   TButton       QPushButton            TListView     QTreeWidget
//   TCheckBox     QCheckBox              TMemo         QPlainTextEdit
//   TCheckListBox QListWidget            TRichEdit     QTextEdit
//   TComboBox     QComboBox              TRadioButton  QRadioButton
//   TEdit         QLineEdit              TStatusBar    QStatusBar
//   TLabeledEdit  QLineEdit with a buddy QLabel       TStringGrid QTableWidget
//   TGroupBox     QGroupBox              TPageControl  QTabWidget
//   TImage        QLabel showing a pixmap             TTabSheet   a page of a QTabWidget
//   TLabel        QLabel                 TPanel        QFrame
//   TScrollBox    QScrollArea            TUpDown       QSpinBox
//   TToolButton   QToolButton on a QToolBar           TSpeedButton any other QToolButton
//   TMenuItem     QAction shown in a QMenu            TAction       any other QAction
//   TOpenDialog   QFileDialog for opening             TSaveDialog   QFileDialog for saving
//
// This library's own classes (TListHeader, TListViewWithHeader, TRadioGroup, ...) keep
// their class names. Charts have no counterpart.

// The framework class name a component stands for, matched by its exact Qt class (a
// subclass of QPushButton is not a "TButton"); a class of this library answers its own
// name; anything else the empty text.
std::string FrameworkClassName(const QObject& object);

// The components a window owns, in creation order: every named object below it, without
// the insides of other windows (dialogs, menus) and of single components (a combo box's
// line edit, a list's viewport), without layouts and Qt's own "qt_" helpers.
std::vector<QObject*> OwnedComponents(QWidget& window);

// A group box of radio buttons with one of them chosen, as the framework's radio group.
// Its items are its own QRadioButton children in creation order.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)

public:
    explicit TRadioGroup(QWidget* parent = nullptr);

    std::vector<QRadioButton*> Items() const;
    // The position of the checked item, -1 when none is.
    int ItemIndex() const;
    // Checks the item at index; any other index unchecks them all.
    void SetItemIndex(int index);
};
