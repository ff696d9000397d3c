#include "library/listheader/formgeometry.h"

#include "library/languages/frameworkclasses.h"
#include "library/listheader/integertext.h"
#include "library/listheader/listheader.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>
#include <array>
#include <climits>

namespace {

constexpr char MaximalizationKey[] = "FormMaximalization";
constexpr char PositionKey[] = "FormPosition";

// Splits off the number before the first "," when that comma is not the first character.
bool TakeNumber(std::string_view& text, int& number)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos || comma < 1)
        return false;
    number = IntegerFromText(text.substr(0, comma), INT_MIN, INT_MAX);
    text.remove_prefix(comma + 1);
    return true;
}

QRect DesktopRect()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry() : QRect();
}

QString SettingsKey(const char* group, const QWidget& form)
{
    return QString::fromLatin1(group) + QLatin1Char('/') + form.objectName();
}

// The classes whose own font follows the window's scale.
bool ScalesOwnFont(const std::string& className)
{
    static const std::array<const char*, 17> classes{
        "TButton", "TCheckBox", "TCheckListBox", "TComboBox", "TEdit", "TGroupBox", "TLabel", "TMemo", "TListView",
        "TRadioButton", "TRadioGroup", "TRichEdit", "TStatusBar", "TStringGrid", "TTabSheet", "TPanel", "TPageControl"};
    return std::find(classes.begin(), classes.end(), className) != classes.end();
}

void ScaleControl(QWidget& control, float s)
{
    const QRect bounds = control.geometry();
    control.setGeometry(ScaledValue(bounds.x(), s), ScaledValue(bounds.y(), s), ScaledValue(bounds.width(), s),
                        ScaledValue(bounds.height(), s));
    const std::string className = FrameworkClassName(control);
    if (ScalesOwnFont(className)) {
        // A control that takes its parent's font already follows the window's.
        if (control.testAttribute(Qt::WA_SetFont))
            control.setFont(ScaledFont(control.font(), s));
    } else if (className == "TImage") {
        auto& image = static_cast<QLabel&>(control);
        image.setPixmap(image.pixmap().scaled(control.size()));
        image.update();
    }
}

} // namespace

int ScaledValue(int value, float scaling)
{
    return static_cast<int>(static_cast<double>(value) * static_cast<double>(scaling));
}

int UnscaledValue(int value, float scaling)
{
    return static_cast<int>(static_cast<double>(value) / static_cast<double>(scaling));
}

TFormRect StoredFormRect(std::string_view stored, TFormRect current, bool sizeable)
{
    TFormRect rect = current;
    const int width = current.Right - current.Left;
    const int height = current.Bottom - current.Top;
    if (TakeNumber(stored, rect.Left))
        rect.Right = rect.Left + width;
    if (TakeNumber(stored, rect.Top))
        rect.Bottom = rect.Top + height;
    int newWidth = 0;
    if (sizeable && TakeNumber(stored, newWidth)) {
        rect.Right = rect.Left + newWidth;
        rect.Bottom = rect.Top + IntegerFromText(stored, INT_MIN, INT_MAX);
    }
    return rect;
}

bool FitsDesktop(const TFormRect& rect, const QRect& desktop)
{
    const int left = desktop.x();
    const int right = desktop.x() + desktop.width();
    const int top = desktop.y();
    const int bottom = desktop.y() + desktop.height();
    const bool horizontal = (left <= rect.Left && rect.Left < right) || (left < rect.Right && rect.Right <= right);
    const bool vertical = (top <= rect.Top && rect.Top < bottom) || (top < rect.Bottom && rect.Bottom <= bottom);
    return horizontal && vertical;
}

std::string FormPositionText(int left, int top, int width, int height, float scaling)
{
    return std::to_string(left) + ',' + std::to_string(top) + ',' + std::to_string(UnscaledValue(width, scaling)) + ','
           + std::to_string(UnscaledValue(height, scaling));
}

bool IsSizeable(const QWidget& form)
{
    return form.minimumSize() != form.maximumSize() && !form.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint);
}

bool HasMaximizeButton(const QWidget& form)
{
    const Qt::WindowFlags flags = form.windowFlags();
    if (flags.testFlag(Qt::WindowMaximizeButtonHint))
        return true;
    return form.windowType() == Qt::Window && !flags.testFlag(Qt::CustomizeWindowHint);
}

void MakeSizeable(QWidget& form)
{
    form.setMinimumSize(0, 0);
    form.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    Qt::WindowFlags flags = form.windowFlags();
    flags.setFlag(Qt::MSWindowsFixedSizeDialogHint, false);
    flags |= Qt::WindowMaximizeButtonHint;
    form.setWindowFlags(flags);
}

QFont ScaledFont(const QFont& font, float scaling)
{
    QFont scaled = font;
    if (font.pointSize() > 0)
        scaled.setPointSize(std::max(1, ScaledValue(font.pointSize(), scaling)));
    else if (font.pixelSize() > 0)
        scaled.setPixelSize(std::max(1, ScaledValue(font.pixelSize(), scaling)));
    return scaled;
}

// ---- TListHeader's class-wide services

bool TListHeader::FSizeableDialogs = false;
float TListHeader::FScaling = 1.0f;

bool TListHeader::OpenProgramRegKey(std::unique_ptr<QSettings>& registry, const std::string& program)
{
    registry = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Valmoro"),
                                           QString::fromStdString(program));
    return registry->status() == QSettings::NoError;
}

void TListHeader::ReadMaximalization(QWidget& form, const std::string& program)
{
    if (FSizeableDialogs && !IsSizeable(form))
        MakeSizeable(form);
    if (HasMaximizeButton(form)) {
        std::unique_ptr<QSettings> registry;
        if (OpenProgramRegKey(registry, program)) {
            const QString key = SettingsKey(MaximalizationKey, form);
            if (registry->contains(key) && registry->value(key).toBool())
                form.setWindowState(form.windowState() | Qt::WindowMaximized);
        }
    }
    if (!form.isMaximized()) {
        std::unique_ptr<QSettings> registry;
        if (OpenProgramRegKey(registry, program)) {
            const QString key = SettingsKey(PositionKey, form);
            if (registry->contains(key)) {
                const std::string stored = registry->value(key).toString().toStdString();
                const QPoint place = form.pos();
                const TFormRect current{place.x(), place.y(), place.x() + form.width(), place.y() + form.height()};
                const TFormRect rect = StoredFormRect(stored, current, IsSizeable(form));
                if (FitsDesktop(rect, DesktopRect())) {
                    form.move(rect.Left, rect.Top);
                    form.resize(rect.Right - rect.Left, rect.Bottom - rect.Top);
                }
            }
        }
    }
    FormScaling(form);
}

void TListHeader::WriteMaximalization(QWidget& form, const std::string& program)
{
    std::unique_ptr<QSettings> registry;
    if (!OpenProgramRegKey(registry, program))
        return;
    registry->setValue(SettingsKey(MaximalizationKey, form), form.isMaximized() ? 1 : 0);
    if (!form.isMaximized()) {
        const std::string text = FormPositionText(form.x(), form.y(), form.width(), form.height(), FScaling);
        registry->setValue(SettingsKey(PositionKey, form), QString::fromStdString(text));
    }
}

void TListHeader::FormScaling(QWidget& form)
{
    const float s = FScaling;
    if (s == 1.0f)
        return;
    if (!form.isMaximized()) {
        const QSize size(ScaledValue(form.width(), s), ScaledValue(form.height(), s));
        if (IsSizeable(form))
            form.resize(size);
        else
            form.setFixedSize(size);
    }
    form.setFont(ScaledFont(form.font(), s));
    for (QObject* component : OwnedComponents(form)) {
        auto* control = qobject_cast<QWidget*>(component);
        if (control && !control->isWindow())
            ScaleControl(*control, s);
    }
}
