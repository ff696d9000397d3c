#include "library/listheader/formgeometry.h"
#include "library/languages/libraryerror.h"
#include "library/listheader/listheader.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr char Program[] = "GeometryTest";

QVariant Stored(const QString& key)
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Valmoro"), QString::fromLatin1(Program))
        .value(key);
}

void Store(const QString& key, const QVariant& value)
{
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Valmoro"), QString::fromLatin1(Program))
        .setValue(key, value);
}

// A window as the host program would make it, named as the key it is stored under.
std::unique_ptr<QWidget> Form(int left, int top, int width, int height)
{
    auto form = std::make_unique<QWidget>();
    form->setObjectName(QStringLiteral("TestForm"));
    form->move(left, top);
    form->resize(width, height);
    return form;
}

} // namespace

class FormGeometryTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settings_;

private slots:
    void initTestCase()
    {
        QVERIFY(settings_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
    }

    void init()
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Valmoro"), QString::fromLatin1(Program)).clear();
    }

    void cleanup()
    {
        TListHeader::FScaling = 1.0f;
        TListHeader::FSizeableDialogs = false;
    }

    void scaledSizesAreStoredUnscaled()
    {
        TListHeader::FScaling = 1.5f;
        const auto closed = Form(10, 20, 400, 300);
        closed->setWindowState(Qt::WindowNoState);
        TListHeader::WriteMaximalization(*closed, Program);
        QCOMPARE(Stored("FormMaximalization/TestForm").toInt(), 0);
        QCOMPARE(Stored("FormPosition/TestForm").toString(), QStringLiteral("10,20,266,200"));

        const auto opened = Form(0, 0, 100, 100);
        TListHeader::ReadMaximalization(*opened, Program);
        QCOMPARE(opened->pos(), QPoint(10, 20));
        QCOMPARE(opened->size(), QSize(399, 300));
    }

    void fixedSizeWindowRestoresOnlyItsPlace()
    {
        Store("FormPosition/TestForm", "30,40,500,400");
        const auto form = Form(0, 0, 200, 100);
        form->setFixedSize(200, 100);
        TListHeader::ReadMaximalization(*form, Program);
        QCOMPARE(form->pos(), QPoint(30, 40));
        QCOMPARE(form->size(), QSize(200, 100));
    }

    void placeOffTheDesktopIsIgnored()
    {
        const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
        Store("FormPosition/TestForm", QStringLiteral("%1,20,400,300").arg(desktop.right() + 1000));
        const auto form = Form(5, 6, 100, 80);
        TListHeader::ReadMaximalization(*form, Program);
        QCOMPARE(form->pos(), QPoint(5, 6));
        QCOMPARE(form->size(), QSize(100, 80));
    }

    void maximisedWindowKeepsItsStoredPlace()
    {
        Store("FormPosition/TestForm", "1,2,3,4");
        const auto form = Form(10, 20, 400, 300);
        form->setWindowState(Qt::WindowMaximized);
        TListHeader::WriteMaximalization(*form, Program);
        QCOMPARE(Stored("FormMaximalization/TestForm").toInt(), 1);
        QCOMPARE(Stored("FormPosition/TestForm").toString(), QStringLiteral("1,2,3,4"));

        const auto reopened = Form(10, 20, 400, 300);
        TListHeader::ReadMaximalization(*reopened, Program);
        QVERIFY(reopened->windowState() & Qt::WindowMaximized);
        QCOMPARE(reopened->pos(), QPoint(10, 20));
    }

    void withoutMaximiseButtonTheStateIsNotRead()
    {
        Store("FormMaximalization/TestForm", 1);
        QDialog dialog;
        dialog.setObjectName(QStringLiteral("TestForm"));
        dialog.setFixedSize(200, 100);
        TListHeader::ReadMaximalization(dialog, Program);
        QVERIFY(!dialog.isMaximized());

        TListHeader::FSizeableDialogs = true;
        TListHeader::ReadMaximalization(dialog, Program);
        QVERIFY(IsSizeable(dialog));
        QVERIFY(HasMaximizeButton(dialog));
        QVERIFY(dialog.windowState() & Qt::WindowMaximized);
    }

    void badStoredNumberRaises()
    {
        Store("FormPosition/TestForm", "1x,2,3,4");
        const auto form = Form(0, 0, 100, 100);
        QVERIFY_THROWS_EXCEPTION(LibraryError, TListHeader::ReadMaximalization(*form, Program));
    }

    void storedRectangles_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("sizeable");
        QTest::addColumn<QRect>("expected");  // left, top, width, height
        QTest::newRow("all four") << "10,20,300,400" << true << QRect(10, 20, 300, 400);
        QTest::newRow("fixed size") << "10,20,300,400" << false << QRect(10, 20, 50, 60);
        QTest::newRow("negative place") << "-1920,-5,300,400" << true << QRect(-1920, -5, 300, 400);
        QTest::newRow("comma first") << ",20,300,400" << true << QRect(1, 2, 50, 60);
        QTest::newRow("two numbers") << "10,20" << true << QRect(10, 2, 50, 60);
        QTest::newRow("empty") << "" << true << QRect(1, 2, 50, 60);
    }

    void storedRectangles()
    {
        QFETCH(QString, stored);
        QFETCH(bool, sizeable);
        QFETCH(QRect, expected);
        const TFormRect rect = StoredFormRect(stored.toStdString(), {1, 2, 51, 62}, sizeable);
        QCOMPARE(QRect(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top), expected);
    }

    void desktopFit_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<bool>("fits");
        QTest::newRow("inside") << QRect(100, 100, 400, 300) << true;
        QTest::newRow("beyond the right edge") << QRect(3000, 100, 400, 300) << false;
        QTest::newRow("left part off") << QRect(-100, 100, 400, 300) << true;
        QTest::newRow("right edge on the border") << QRect(1520, 100, 400, 300) << true;
        QTest::newRow("starting at the right edge") << QRect(1920, 100, 400, 300) << false;
        QTest::newRow("below") << QRect(100, 1080, 400, 300) << false;
        QTest::newRow("wider than the desktop") << QRect(-10, 100, 2000, 300) << false;
    }

    void desktopFit()
    {
        QFETCH(QRect, window);
        QFETCH(bool, fits);
        const TFormRect rect{window.x(), window.y(), window.x() + window.width(), window.y() + window.height()};
        QCOMPARE(FitsDesktop(rect, QRect(0, 0, 1920, 1080)), fits);
    }

    void scalingControlsAndOwnFonts()
    {
        TListHeader::FScaling = 1.5f;
        QWidget form;
        form.setObjectName(QStringLiteral("TestForm"));
        QFont formFont = form.font();
        formFont.setPointSize(8);
        form.setFont(formFont);
        form.resize(200, 100);
        auto* parentFont = new QLabel(QStringLiteral("a"), &form);
        parentFont->setObjectName(QStringLiteral("Label1"));
        parentFont->setGeometry(10, 11, 41, 21);
        auto* ownFont = new QPushButton(QStringLiteral("b"), &form);
        ownFont->setObjectName(QStringLiteral("Button1"));
        QFont buttonFont = formFont;
        buttonFont.setPointSize(10);
        ownFont->setFont(buttonFont);
        auto* image = new QLabel(&form);
        image->setObjectName(QStringLiteral("Image1"));
        QPixmap pixmap(10, 10);
        pixmap.fill(Qt::red);
        image->setPixmap(pixmap);
        image->setGeometry(0, 0, 10, 10);

        TListHeader::FormScaling(form);
        QCOMPARE(form.size(), QSize(300, 150));
        QCOMPARE(form.font().pointSize(), 12);
        QCOMPARE(parentFont->geometry(), QRect(15, 16, 61, 31));
        QCOMPARE(parentFont->font().pointSize(), 12);  // follows the window, scaled once
        QCOMPARE(ownFont->font().pointSize(), 15);
        QCOMPARE(image->pixmap().size(), QSize(15, 15));

        TListHeader::FScaling = 1.0f;
        TListHeader::FormScaling(form);
        QCOMPARE(form.size(), QSize(300, 150));
    }

    void positionText()
    {
        QCOMPARE(FormPositionText(10, -20, 400, 301, 1.5f), std::string("10,-20,266,200"));
        QCOMPARE(FormPositionText(0, 0, 400, 300, 1.0f), std::string("0,0,400,300"));
        QCOMPARE(ScaledValue(266, 1.5f), 399);
        QCOMPARE(ScaledValue(-3, 1.5f), -4);
    }
};

QTEST_MAIN(FormGeometryTest)
#include "formgeometry_test.moc"
