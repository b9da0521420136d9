#include "app/Program.h"
#include "common/DesignFont.h"
#include "common/Feedback.h"
#include "common/PaletteSharingStyle.h"
#include "common/Pictures.h"
#include "common/RandomSource.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Bimbala"));
    QApplication::setDesktopFileName(QStringLiteral("bimbala"));
    QApplication::setWindowIcon(Pictures::programIcon());
    // The program decides when it ends (End, or its last window closed).
    QApplication::setQuitOnLastWindowClosed(false);
    InstallFontSubstitutions();
    InstallPaletteSharingStyle();

    MessageBoxFeedback feedback;
    SeededRandom random;
    Program program(feedback, random);
    program.start();
    return QApplication::exec();
}
