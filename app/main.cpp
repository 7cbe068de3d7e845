#include <QApplication>
#include <QStyleFactory>

#include "kalvex.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // Qt 6 has no QWindowsStyle class; the built-in "Windows" style is the same look.
    if (QStyle *style = QStyleFactory::create(QStringLiteral("Windows")))
        QApplication::setStyle(style);

    auto *window = new Kalvex;
    window->setWindowTitle(QStringLiteral("Kalvex V2.1"));
    window->show();
    return app.exec();
}
