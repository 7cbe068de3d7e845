#include <QtTest>
class TstFvNumerics : public QObject { Q_OBJECT private slots: void none() {} };
QTEST_APPLESS_MAIN(TstFvNumerics)
#include "tst_fvnumerics.moc"
