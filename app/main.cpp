#include "app/Program.h"
#include "common/Feedback.h"
#include "common/RandomSource.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    PrepareApplication();

    MessageBoxFeedback feedback;
    SeededRandom random;
    ProgressStore store(ProgressStore::defaultPath());
    Program program(feedback, random, &store);
    program.start();
    return QApplication::exec();
}
