#include <QtTest>
class TstFvVerification : public QObject { Q_OBJECT private slots: void none() {} };
QTEST_APPLESS_MAIN(TstFvVerification)
#include "tst_fvverification.moc"
