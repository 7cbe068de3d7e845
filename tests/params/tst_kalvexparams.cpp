#include <QtTest>
class TestKalvexParams : public QObject { Q_OBJECT };
QTEST_MAIN(TestKalvexParams)
#include "tst_kalvexparams.moc"
