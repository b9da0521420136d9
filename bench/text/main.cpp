// The second yardstick for the start-up benchmark: the least a Qt Widgets program
// does to put one window with text on the screen (a label, an entry box and a
// button, in the default font), so that loading fonts weighs on both sides.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("text window"));
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Label")));
    layout->addWidget(new QLineEdit(QStringLiteral("Text")));
    layout->addWidget(new QPushButton(QStringLiteral("Button")));
    window.resize(363, 227);
    window.show();
    return QApplication::exec();
}
