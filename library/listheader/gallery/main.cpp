// A window to see and try the list header library: a header from an embedded format, a
// list of a few hundred rows that follows it, the header's context menu ("Fejléc
// átméretezés..." opens the header format dialog, "Export" copies the table to the
// clipboard) and the stored settings of the user.
//
//   korvex-gallery            the window
//   korvex-gallery --dialog   the window with the header format dialog open
//   korvex-gallery --export   the window, with the table already on the clipboard

#include "library/listheader/listheader.h"
#include "library/listheader/listviewwithheader.h"
#include "library/listheader/resources.h"
#include "library/listheader/sharedxmldocument.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCommandLineParser>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace {

constexpr char ProgramName[] = "KorvexGallery";

// The cells of a list may start with a colour mark; the list shows them in that colour.
class ColourMarkDelegate : public QStyledItemDelegate {
public:
    explicit ColourMarkDelegate(TListViewWithHeader* list) : QStyledItemDelegate(list), list_(list) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->displayAlignment = list_->ColumnAlignment(index.column()) | Qt::AlignVCenter;
        const std::string text = option->text.toStdString();
        const std::string plain = TListHeader::ColoredStringWithoutColor(text);
        if (plain == text)
            return;
        static const std::array<std::pair<const char*, QColor>, 3> colours{
            {{"\\red", QColor(200, 0, 0)}, {"\\green", QColor(0, 130, 0)}, {"\\blue", QColor(0, 0, 200)}}};
        for (const auto& [mark, colour] : colours) {
            if (text.starts_with(mark))
                option->palette.setColor(QPalette::Text, colour);
        }
        option->text = QString::fromStdString(plain);
    }

private:
    TListViewWithHeader* list_;
};

// The values of one example row by column ID, as a host program would show them.
std::map<int, QString> RowValues(int row)
{
    static const std::array<const char*, 8> names{"Acélcső", "Rézhuzal", "Üvegszál", "Tölgyfa léc",
                                                  "Alumínium profil", "Őrölt kő", "Gumitömítés", "Műanyag lap"};
    const uint32_t seed = static_cast<uint32_t>(row) * 2654435761u;
    const auto part = [seed](int shift, int range) { return static_cast<int>((seed >> shift) % range); };
    std::map<int, QString> values;
    values[1] = QStringLiteral("%1 %2").arg(QString::fromUtf8(names[row % names.size()])).arg(row + 1);
    values[2] = QString::number(1 + part(3, 250));
    values[3] = QString::number(100 + part(5, 90000) / 7.0, 'f', 3).replace('.', ',');
    values[4] = QString::number(part(7, 50000) / 100.0, 'f', 2).replace('.', ',');
    values[5] = QString::number(-20 + part(9, 1400) / 10.0, 'f', 1).replace('.', ',');
    values[6] = part(11, 9) == 0 ? QStringLiteral("-") : QString::number(part(13, 1000) / 100.0, 'f', 2).replace('.', ',');
    values[7] = QString::number(part(15, 4700) / 10.0, 'f', 1).replace('.', ',');
    values[8] = part(17, 5) == 0 ? QStringLiteral("\\redHiba") : QStringLiteral("\\greenOK");
    return values;
}

class GalleryWindow : public QMainWindow {
public:
    GalleryWindow()
    {
        setObjectName(QStringLiteral("GalleryForm"));
        setWindowTitle(QStringLiteral("Korvex – lista fejléc bemutató"));
        auto* central = new QWidget(this);
        central->setObjectName(QStringLiteral("Panel1"));
        auto* layout = new QVBoxLayout(central);
        layout->setSpacing(0);

        header_ = new TListHeader(central);
        header_->setObjectName(QStringLiteral("ListHeader1"));
        header_->RegistryName = "GalleryList";
        header_->SetFormatName("Gallery");
        list_ = new TListViewWithHeader(central);
        list_->setObjectName(QStringLiteral("ListView1"));
        list_->setHeaderHidden(true);
        list_->setAlternatingRowColors(true);
        list_->setItemDelegate(new ColourMarkDelegate(list_));

        // The header sits above the list's contents, inside the list's frame.
        auto* headerRow = new QHBoxLayout;
        headerRow->setContentsMargins(list_->frameWidth(), 0, list_->frameWidth(), 0);
        headerRow->addWidget(header_);
        layout->addLayout(headerRow);
        layout->addWidget(list_);
        setCentralWidget(central);
        statusBar()->showMessage(
            QStringLiteral("Kattintson a fejlécre, vagy a jobb gombbal: \"Fejléc átméretezés...\" és \"Export\"."));

        list_->SetHeaderName("ListHeader1");
        header_->LoadFromRegistry(ProgramName);
        connect(header_, &TListHeader::OnClick, this, &GalleryWindow::ChangeColumns);
        Fill();
        resize(900, 460);
    }

    TListHeader* Header() const { return header_; }

    void ChangeColumns()
    {
        if (header_->ChangeColumnsPropertis())
            Fill();
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        TListHeader::WriteMaximalization(*this, ProgramName);
        QMainWindow::closeEvent(event);
    }

private:
    // The host fills the list for the columns shown, in display order.
    void Fill()
    {
        list_->clear();
        const TListHeaderFormat& format = header_->HeaderFormat;
        QList<QTreeWidgetItem*> items;
        for (int row = 0; row < 300; ++row) {
            const std::map<int, QString> values = RowValues(row);
            QStringList texts;
            for (int position = 0; position < format.Count; ++position) {
                const TListHeaderFormatCol* column = format.Column(position);
                if (column && column->Visible)
                    texts << values.at(column->ID);
            }
            items << new QTreeWidgetItem(texts);
        }
        list_->addTopLevelItems(items);
    }

    TListHeader* header_ = nullptr;
    TListViewWithHeader* list_ = nullptr;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvex gallery"));
    QCommandLineParser options;
    options.addHelpOption();
    const QCommandLineOption dialog(QStringLiteral("dialog"), QStringLiteral("Open the header format dialog at start."));
    const QCommandLineOption exportTable(QStringLiteral("export"), QStringLiteral("Copy the table to the clipboard at start."));
    options.addOption(dialog);
    options.addOption(exportTable);
    options.process(app);

    // XML format resources and the XML Spreadsheet form need the host's document.
    TSharedXmlDocument document;
    SharedXMLDocument = &document;

    GalleryWindow window;
    TListHeader::ReadMaximalization(window, ProgramName);
    window.show();
    if (options.isSet(exportTable))
        QTimer::singleShot(0, window.Header(), &TListHeader::ExportTableAction);
    if (options.isSet(dialog))
        QTimer::singleShot(0, &window, &GalleryWindow::ChangeColumns);
    const int result = QApplication::exec();
    SharedXMLDocument = nullptr;
    return result;
}
