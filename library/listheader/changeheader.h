#pragma once

#include "library/listheader/listheaderformat.h"

#include <QDialog>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QPainter;
namespace Ui {
class TChangeHeaderForm;
}

// The header format dialog: the order of the columns, which are shown, each column's
// width, alignments, number display, a user-defined title with factor and offset and the
// unit of the second title line. It edits the header's format in place; OK stores it for
// the user, Cancel (and the close box, and Escape) puts back the format it started from.
class TChangeHeaderForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int HelpContext = 111;

    TChangeHeaderForm(QWidget* owner, TListHeaderFormat& editedFormat, const QFont& font,
                      const std::string& registryName, const std::string& programName);
    ~TChangeHeaderForm() override;

    TListHeaderFormat& EditedFormat;
    std::string ProgramName;
    std::string RegistryName;
    TListHeaderFormat Backup;
    int32_t Current = -1;
    int16_t LineHeight = 0;
    std::vector<int16_t> UnitIndexes;

    // Shows the column at Current in the controls.
    void LoadColumn();
    // Takes the controls into the column at Current. Throws LibraryError for a width,
    // precision, digits, factor or offset text that is not valid.
    void StoreColumn();
    void UpdateMoveButtons();
    void UpdateUserFields();

    void ClickEvent();
    void MoveUpButtonClick();
    void MoveDownButtonClick();
    void UserDefinedClick();
    void UnitsChange();
    void ViewPanelPaint(QPainter& canvas);
    void ColumnsListDrawItem(QPainter& canvas, int index, const QRect& rect);
    void OKClick();
    void CancelClick();
    void HelpClick();

    // Every way of leaving without OK restores the format from Backup.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Create();
    void MoveColumn(int to);
    bool TryStoreColumn();

    std::unique_ptr<Ui::TChangeHeaderForm> ui_;
};

// How help is shown for a help file and context: the HTML help viewer "HH.exe" with
// "-mapid <context> ms-its:<file>", or, for a file ending in "hlp" (any letter case), the
// classic viewer on the file.
struct THelpCall {
    bool Classic = false;
    QString Program;
    QStringList Arguments;
};
THelpCall HelpCall(const QString& helpFile, int context);

// A number in general format with up to precision significant digits and "." as the
// decimal point ("1", "0.001", "1.2346E5", "1E-7").
std::string GeneralNumberText(double value, int precision);
