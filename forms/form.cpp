// Compiles the form class once so that its header exists before the window is built.
#include "ui_mainwindow.h"
