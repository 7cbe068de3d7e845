#include "kalvex.h"

#include <QApplication>
#include <QPixmap>
#include <QStyleFactory>

Kalvex::Kalvex(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
{
    setupUi(this);

    connect(startEuler, &QPushButton::clicked, this, &Kalvex::startCalc);
    connect(actionOpen, &QAction::triggered, this, &Kalvex::openFile);
    connect(actionSave, &QAction::triggered, this, &Kalvex::saveCylData);
    connect(actionSaveEVData, &QAction::triggered, this, &Kalvex::saveValveData);
    connect(actionGetEVData, &QAction::triggered, this, &Kalvex::getValveData);
    connect(plotresults, &QPushButton::clicked, this, &Kalvex::plotValves);
    connect(plothps, &QPushButton::clicked, this, &Kalvex::plotHPS);
    connect(plotalpha, &QPushButton::clicked, this, &Kalvex::plotAlpha);
    connect(actionExit, &QAction::triggered, qApp, &QCoreApplication::quit);

    Logohalter->setPixmap(QPixmap(QStringLiteral(":/images/images/Logo_Orbel_zugeschnitten.png")));
    Logohalter_2->setPixmap(QPixmap(QStringLiteral(":/images/images/HaldenLogo.png")));
    setUpRunStatus();
    setUpParameterFields();
}

Kalvex *createMainWindow()
{
    // Qt 6 has no QWindowsStyle class; the built-in "Windows" style is the same look.
    if (QStyle *style = QStyleFactory::create(QStringLiteral("Windows")))
        QApplication::setStyle(style);
    auto *window = new Kalvex;
    window->setWindowTitle(QStringLiteral("Kalvex V2.1"));
    return window;
}
