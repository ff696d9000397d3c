#include "library/listheader/listheader.h"

#include "library/listheader/changeheader.h"
#include "library/listheader/clipboardexport.h"
#include "library/listheader/listviewwithheader.h"
#include "library/languages/vmlanguages.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

#include <algorithm>
#include <array>
#include <utility>

namespace {

// A menu caption from the store when it has one, else the built-in text.
QString MenuCaption(const char* key, const char* builtIn)
{
    std::string text;
    if (LanguageStoreInstance)
        text = LanguageStoreInstance->GetText(key);
    return QString::fromUtf8(text.empty() ? builtIn : text.c_str());
}

// size × num / den with integer division, on whichever size the font was given in.
QFont SizedFont(const QFont& current, const QFont& base, int num, int den)
{
    QFont font = current;
    font.setFamily(base.family());
    if (base.pointSize() > 0)
        font.setPointSize(std::max(1, base.pointSize() * num / den));
    else
        font.setPixelSize(std::max(1, base.pixelSize() * num / den));
    return font;
}

// The drawing style while walking a title: font, vertical offset, symbol characters.
struct MarkupStyle {
    QFont font;
    int dy = 0;
    bool symbol = false;
};

// Applies a markup code to the style; false when the walk ends here.
bool ApplyCode(int code, bool stopAtSemicolon, const QFont& base, int lineHeight, MarkupStyle& style)
{
    switch (code) {
    case MarkupHeaderEnd:
        return !stopAtSemicolon;
    case MarkupSuperscript:
        style = {SizedFont(style.font, base, 2, 3), 0, false};
        break;
    case MarkupSubscript:
        style = {SizedFont(style.font, base, 3, 4), lineHeight / 3, false};
        break;
    case MarkupSymbol:
        style.font.setFamily(QStringLiteral("Symbol"));
        style.dy = 0;
        style.symbol = true;
        break;
    case MarkupPlain:
        style = {SizedFont(style.font, base, 1, 1), 0, false};
        break;
    default:
        break;
    }
    return true;
}

QString PieceText(const std::string& piece, bool symbol)
{
    const QString text = QString::fromStdString(piece);
    return symbol ? SymbolToUnicode(text) : text;
}

// Walks a title piece by piece: show gets each non-empty piece's text (symbol letters
// mapped) with the style it is drawn in, until the end or the header end when asked to stop there.
template <class Show>
void ForEachMarkupPiece(const std::string& title, bool stopAtSemicolon, const QFont& base, int lineHeight, Show show)
{
    std::string rest = title;
    std::string piece;
    MarkupStyle style{base};
    while (!rest.empty()) {
        const int code = NextMarkupPiece(rest, piece);
        if (!piece.empty())
            show(PieceText(piece, style.symbol), style);
        if (!ApplyCode(code, stopAtSemicolon, base, lineHeight, style))
            break;
    }
}

// Width of the title as drawn: the sum of its pieces in their fonts.
int MarkupWidth(const std::string& title, bool stopAtSemicolon, const QFont& base, int lineHeight)
{
    int total = 0;
    ForEachMarkupPiece(title, stopAtSemicolon, base, lineHeight, [&](const QString& shown, const MarkupStyle& style) {
        total += QFontMetrics(style.font).horizontalAdvance(shown);
    });
    return total;
}

} // namespace

// ---- Drawing

QString SymbolToUnicode(const QString& text)
{
    static const std::array<std::pair<char16_t, char16_t>, 128> table{{
        {u'"', u'\u2200'}, {u'$', u'\u2203'}, {u'\'', u'\u220B'}, {u'*', u'\u2217'}, {u'-', u'\u2212'},
        {u'@', u'\u2245'}, {u'\\', u'\u2234'}, {u'^', u'\u22A5'}, {u'`', u'\u203E'}, {u'~', u'\u223C'},
        {u'A', u'\u0391'}, {u'B', u'\u0392'}, {u'C', u'\u03A7'}, {u'D', u'\u0394'}, {u'E', u'\u0395'},
        {u'F', u'\u03A6'}, {u'G', u'\u0393'}, {u'H', u'\u0397'}, {u'I', u'\u0399'}, {u'J', u'\u03D1'},
        {u'K', u'\u039A'}, {u'L', u'\u039B'}, {u'M', u'\u039C'}, {u'N', u'\u039D'}, {u'O', u'\u039F'},
        {u'P', u'\u03A0'}, {u'Q', u'\u0398'}, {u'R', u'\u03A1'}, {u'S', u'\u03A3'}, {u'T', u'\u03A4'},
        {u'U', u'\u03A5'}, {u'V', u'\u03C2'}, {u'W', u'\u03A9'}, {u'X', u'\u039E'}, {u'Y', u'\u03A8'},
        {u'Z', u'\u0396'},
        {u'a', u'\u03B1'}, {u'b', u'\u03B2'}, {u'c', u'\u03C7'}, {u'd', u'\u03B4'}, {u'e', u'\u03B5'},
        {u'f', u'\u03C6'}, {u'g', u'\u03B3'}, {u'h', u'\u03B7'}, {u'i', u'\u03B9'}, {u'j', u'\u03D5'},
        {u'k', u'\u03BA'}, {u'l', u'\u03BB'}, {u'm', u'\u03BC'}, {u'n', u'\u03BD'}, {u'o', u'\u03BF'},
        {u'p', u'\u03C0'}, {u'q', u'\u03B8'}, {u'r', u'\u03C1'}, {u's', u'\u03C3'}, {u't', u'\u03C4'},
        {u'u', u'\u03C5'}, {u'v', u'\u03D6'}, {u'w', u'\u03C9'}, {u'x', u'\u03BE'}, {u'y', u'\u03C8'},
        {u'z', u'\u03B6'},
        {0xA1, u'\u03D2'}, {0xA2, u'\u2032'}, {0xA3, u'\u2264'}, {0xA4, u'\u2044'}, {0xA5, u'\u221E'},
        {0xA6, u'\u0192'}, {0xA7, u'\u2663'}, {0xA8, u'\u2666'}, {0xA9, u'\u2665'}, {0xAA, u'\u2660'},
        {0xAB, u'\u2194'}, {0xAC, u'\u2190'}, {0xAD, u'\u2191'}, {0xAE, u'\u2192'}, {0xAF, u'\u2193'},
        {0xB2, u'\u2033'}, {0xB3, u'\u2265'}, {0xB4, u'\u00D7'}, {0xB5, u'\u221D'}, {0xB6, u'\u2202'},
        {0xB7, u'\u2022'}, {0xB8, u'\u00F7'}, {0xB9, u'\u2260'}, {0xBA, u'\u2261'}, {0xBB, u'\u2248'},
        {0xBC, u'\u2026'}, {0xC0, u'\u2135'}, {0xC1, u'\u2111'}, {0xC2, u'\u211C'}, {0xC3, u'\u2118'},
        {0xC4, u'\u2297'}, {0xC5, u'\u2295'}, {0xC6, u'\u2205'}, {0xC7, u'\u2229'}, {0xC8, u'\u222A'},
        {0xC9, u'\u2283'}, {0xCA, u'\u2287'}, {0xCB, u'\u2284'}, {0xCC, u'\u2282'}, {0xCD, u'\u2286'},
        {0xCE, u'\u2208'}, {0xCF, u'\u2209'}, {0xD0, u'\u2220'}, {0xD1, u'\u2207'}, {0xD5, u'\u220F'},
        {0xD6, u'\u221A'}, {0xD7, u'\u22C5'}, {0xD8, u'\u00AC'}, {0xD9, u'\u2227'}, {0xDA, u'\u2228'},
        {0xDB, u'\u21D4'}, {0xDC, u'\u21D0'}, {0xDD, u'\u21D1'}, {0xDE, u'\u21D2'}, {0xDF, u'\u21D3'},
        {0xE0, u'\u25CA'}, {0xE5, u'\u2211'}, {0xF2, u'\u222B'},
    }};
    QString out = text;
    for (QChar& c : out) {
        const auto found = std::find_if(table.begin(), table.end(),
                                        [c](const auto& entry) { return entry.first != 0 && entry.first == c.unicode(); });
        if (found != table.end())
            c = QChar(found->second);
    }
    return out;
}

void DrawMarkupText(QPainter& canvas, const std::string& text, int alignment, bool stopAtSemicolon,
                    const QRect& rect, int lineHeight, int charWidth)
{
    const QFont base = canvas.font();
    int offset = charWidth;
    if (alignment != 0) {
        const int total = MarkupWidth(text, stopAtSemicolon, base, lineHeight);
        offset = alignment == 1 ? rect.width() - total : (rect.width() - total) / 2;
    }

    int acc = 0;
    ForEachMarkupPiece(text, stopAtSemicolon, base, lineHeight, [&](const QString& shown, const MarkupStyle& style) {
        canvas.setFont(style.font);
        const int x = rect.left() + offset + acc;
        QRect clip = rect;
        if (offset + acc > 0)
            clip.setLeft(x);
        canvas.save();
        canvas.setClipRect(clip, Qt::IntersectClip);
        canvas.drawText(QPoint(x, rect.top() + style.dy + canvas.fontMetrics().ascent()), shown);
        canvas.restore();
        acc += canvas.fontMetrics().horizontalAdvance(shown);
    });
    canvas.setFont(base);
}

// ---- TListHeader

TListHeader::TListHeader(QWidget* parent)
    : QWidget(parent)
    , popup_(new QMenu(this))
{
    resize(65, 65);
    QAction* resize = popup_->addAction(MenuCaption("IDS_TITLEMODIFYMENUTITLE", "Fejléc átméretezés..."));
    connect(resize, &QAction::triggered, this, &TListHeader::ResizeTitleAction);
    QAction* exportTable = popup_->addAction(MenuCaption("IDS_TABLEEXPORTMENUTITLE", "Export"));
    connect(exportTable, &QAction::triggered, this, &TListHeader::ExportTableAction);
    StyleChanged();
}

TListHeader::~TListHeader() = default;

void TListHeader::SetFormatName(const std::string& name)
{
    FormatName = name;
    HeaderFormat.Clear();
    HeaderFormat.Load(name);
    StyleChanged();
}

void TListHeader::SetFont(const QFont& font)
{
    setFont(font);
}

void TListHeader::StyleChanged()
{
    const QFontMetrics metrics(font());
    // Qt reports a negative leading for some fonts; the framework's external leading never is.
    ExternalLeading = static_cast<int16_t>(std::max(0, metrics.leading()));
    LineHeight = static_cast<int16_t>(metrics.height() + ExternalLeading);
    CharWidth = static_cast<int16_t>(metrics.averageCharWidth());
    setFixedHeight(LineHeight * HeaderFormat.Rows + ExternalLeading + 4);
    update();
}

void TListHeader::SetScrollPos(int pos)
{
    ScrollPos = static_cast<int16_t>(pos);
    update();
}

void TListHeader::SetList(TListViewWithHeader* list)
{
    List = list;
    SetListColumns();
}

void TListHeader::SetListColumns()
{
    if (!List)
        return;
    List->RemoveColumns();
    for (int position = 0; position < HeaderFormat.Count; ++position) {
        const TListHeaderFormatCol* column = HeaderFormat.Column(position);
        if (column && column->Visible)
            List->AddColumn(column->DataAlignment, column->Width * CharWidth);
    }
}

void TListHeader::LoadFromRegistry(const std::string& program)
{
    ProgramName = program;
    HeaderFormat.ReadFromRegistry(program, RegistryName);
    SetListColumns();
}

bool TListHeader::ChangeColumnsPropertis()
{
    TChangeHeaderForm dialog(this, HeaderFormat, font(), RegistryName, ProgramName);
    ReadMaximalization(dialog, ProgramName);
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    WriteMaximalization(dialog, ProgramName);
    if (confirmed) {
        // The host fills the list again for the new columns.
        if (List)
            List->clear();
        SetListColumns();
        SetScrollPos(0);
    }
    return confirmed;
}

void TListHeader::ResizeTitleAction()
{
    emit OnClick();
}

void TListHeader::ExportTableAction()
{
    TVmdClipboardStream stream;
    if (List) {
        const std::vector<TExportItem> items = List->ExportItems();
        ExportTable(stream, HeaderFormat, &items);
    } else {
        ExportTable(stream, HeaderFormat, nullptr);
    }
    stream.Finish();
}

std::string TListHeader::ColoredStringWithoutColor(const std::string& text)
{
    for (const std::string_view mark : {"\\red", "\\green", "\\blue"}) {
        if (text.starts_with(mark))
            return text.substr(mark.size());
    }
    return text;
}

void TListHeader::paintEvent(QPaintEvent* event)
{
    QPainter canvas(this);
    canvas.setFont(font());
    canvas.setPen(palette().color(QPalette::ButtonText));
    canvas.fillRect(rect(), palette().color(QPalette::Button));
    const QRect clip = event->rect();
    const int height = this->height();

    int x = -ScrollPos;
    for (int position = 0; position < HeaderFormat.Count; ++position) {
        const TListHeaderFormatCol* column = HeaderFormat.Column(position);
        if (!column || !column->Visible)
            continue;
        const int w = column->Width * CharWidth;
        if (clip.right() >= x && clip.left() <= x + w - 1) {
            canvas.setPen(palette().color(QPalette::ButtonText));
            QRect text(x + 2, ExternalLeading + 2, w - 5, height - ExternalLeading - 4);
            for (int line = 0; line < HeaderFormat.Rows; ++line) {
                DrawMarkupText(canvas, column->Title(line), column->TitleAlignment, true, text, LineHeight, CharWidth);
                text.setTop(text.top() + LineHeight);
            }
            // Raised frame; the lines end one pixel short, as line drawing does in the framework.
            canvas.setPen(Qt::white);
            canvas.drawLine(x, height - 1, x, 1);
            canvas.drawLine(x, 0, x + w - 2, 0);
            canvas.setPen(Qt::black);
            canvas.drawLine(x, height - 1, x + w - 2, height - 1);
            canvas.drawLine(x + w - 1, height - 1, x + w - 1, 1);
        }
        x += w;
    }
}

void TListHeader::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        StyleChanged();
    QWidget::changeEvent(event);
}

void TListHeader::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit OnClick();
    QWidget::mouseReleaseEvent(event);
}

void TListHeader::contextMenuEvent(QContextMenuEvent* event)
{
    popup_->popup(event->globalPos());
}
