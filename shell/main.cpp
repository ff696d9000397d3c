#include "host/hostconnect.h"
#include "shell/mainform.h"
#include "shell/qttranslation.h"
#include "common/processmemory.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

int main(int argc, char* argv[])
{
    KeepLargeBlocksForReuse();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvex"));
    QApplication::setOrganizationName(QStringLiteral("Valmoro"));
    LoadQtTranslation(application);
    try {
        TMainForm MainForm(ConnectDefaultHost);
        MainForm.RememberGeometry("Korvex");
        MainForm.show();
        return QApplication::exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("Korvex"), QString::fromUtf8(error.what()));
        return 1;
    }
}
