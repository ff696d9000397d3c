#pragma once

#include "library/listheader/listheaderformat.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

class QMenu;
class QPainter;
class QSettings;
class TListViewWithHeader;

// A painted header that shows a header format as a row of one- or two-line column titles
// with sub- and superscripts and symbol characters. A TListViewWithHeader on the same
// window links itself to it, takes its columns from it and keeps it scrolled in step.
// The context menu fires OnClick (hosts wire it to ChangeColumnsPropertis) or copies the
// list to the clipboard. The header's font is the widget's font.
class TListHeader : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString RegistryName READ registryName WRITE setRegistryName)
    Q_PROPERTY(QString FormatName READ formatName WRITE setFormatName)

public:
    explicit TListHeader(QWidget* parent = nullptr);
    ~TListHeader() override;

    int16_t ScrollPos = 0;
    std::string FormatName;
    std::string ProgramName;  // as last given to LoadFromRegistry
    std::string RegistryName;
    int16_t LineHeight = 0;
    int16_t CharWidth = 0;
    int16_t ExternalLeading = 0;
    TListHeaderFormat HeaderFormat;
    QPointer<TListViewWithHeader> List;

    // Loads the format of that name from the program's resources.
    void SetFormatName(const std::string& name);
    // Takes over the font (which recomputes the metrics and the height).
    void SetFont(const QFont& font);
    // Metrics of the font and the height for the format's title lines.
    void StyleChanged();
    void SetScrollPos(int pos);
    void SetList(TListViewWithHeader* list);
    // Rebuilds the linked list's columns: one per visible column, in display order.
    void SetListColumns();
    // Applies the user's stored settings of this header.
    void LoadFromRegistry(const std::string& program);
    // Runs the header format dialog; true when the user confirmed it.
    bool ChangeColumnsPropertis();
    void ResizeTitleAction();
    // Copies the titles and the list's rows to the clipboard.
    void ExportTableAction();

    // Text without a leading "\red", "\green" or "\blue" colour mark.
    static std::string ColoredStringWithoutColor(const std::string& text);

    QMenu* PopupMenu() const { return popup_; }

    // ---- Window geometry and scaling, for any window of the host program.

    // Turn fixed-size dialogs into resizable, maximisable ones when their geometry is read.
    static bool FSizeableDialogs;
    // Scale factor for windows, controls and fonts; 1.0 leaves them alone.
    static float FScaling;

    // The per-user settings key Software\Valmoro\<program> (a file under ~/.config on
    // Linux). False when it cannot be used.
    static bool OpenProgramRegKey(std::unique_ptr<QSettings>& registry, const std::string& program);
    // Applies the stored state and place of form (call before showing it), then scales it.
    static void ReadMaximalization(QWidget& form, const std::string& program);
    // Stores form's state and place (call after it was closed).
    static void WriteMaximalization(QWidget& form, const std::string& program);
    // Scales form, its controls and their own fonts by FScaling.
    static void FormScaling(QWidget& form);

    // Qt-style accessors of the published texts.
    QString registryName() const { return QString::fromStdString(RegistryName); }
    void setRegistryName(const QString& name) { RegistryName = name.toStdString(); }
    QString formatName() const { return QString::fromStdString(FormatName); }
    void setFormatName(const QString& name) { SetFormatName(name.toStdString()); }

signals:
    // The header was clicked, or its context menu's first item chosen.
    void OnClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QMenu* popup_ = nullptr;
};

// Draws one title line in title markup into rect: sub- and superscripts, the "Symbol"
// font, alignment 0 left (indented by charWidth), 1 right, 2 centre. With
// stopAtSemicolon the part after "\;" is left out. The painter's font is the base font.
void DrawMarkupText(QPainter& canvas, const std::string& text, int alignment, bool stopAtSemicolon,
                    const QRect& rect, int lineHeight, int charWidth);

// The characters of the "Symbol" font's encoding as Unicode ("a" is alpha, "m" mu), so
// that symbol pieces show the intended letters whatever font ends up drawing them.
QString SymbolToUnicode(const QString& text);
