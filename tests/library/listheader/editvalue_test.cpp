#include "library/listheader/editvalue.h"
#include "library/languages/libraryerror.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

class EditValueTest : public QObject {
    Q_OBJECT

private slots:
    void readsTheEditsText()
    {
        QLineEdit edit(QStringLiteral("2*(3,5+1)"));
        QCOMPARE(EditValue(edit, 0), 9.0);
    }

    void rejectedTextMovesTheFocusToTheEdit()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* other = new QLineEdit(&window);
        auto* factor = new QLineEdit(QStringLiteral("0"), &window);
        layout->addWidget(other);
        layout->addWidget(factor);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), other);

        bool thrown = false;
        try {
            EditValue(*factor, 1);
        } catch (const LibraryError& error) {
            thrown = true;
            QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral(" 0"));
        }
        QVERIFY(thrown);
        QTRY_COMPARE(QApplication::focusWidget(), factor);
    }
};

QTEST_MAIN(EditValueTest)
#include "editvalue_test.moc"
