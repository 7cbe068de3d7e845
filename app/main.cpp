#include <QApplication>

#include "kalvex.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Kalvex *window = createMainWindow();
    window->show();
    return app.exec();
}
