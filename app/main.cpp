// tarvix: the desktop program. Opens the file named on the command line, else an empty
// document.
#include <QApplication>

#include "app/app_resources.h"
#include "app/main_frame.h"
#include "common/temporary_paths.h"
#include "editor/ui/editor_accessible.h"
#include "panels/register_pane_accessible.h"

int main(int argc, char** argv) {
    tarvix::removeTemporaryPathsOnSignals();
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Tarvix");
    QApplication::setApplicationName("Tarvix");
    QGuiApplication::setDesktopFileName(TARVIX_APP_ID);
    tarvix::loadAppResources();
    tarvix::installEditorAccessibility();
    tarvix::installRegisterPaneAccessibility();

    tarvix::CMainFrame frame;
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        frame.openDocument(arguments.at(1));
    }
    frame.show();
    return QApplication::exec();
}
