#include "post/valvediagram.h"

#include <QtTest>

using ValveDiagram::Quantity;

Q_DECLARE_METATYPE(ValveDiagram::Quantity)

class TestValveDiagram : public QObject
{
    Q_OBJECT

private slots:
    void plotCommand_data();
    void plotCommand();
    void scriptHead();
    void largestDiagram();
    void valveCount_data();
    void valveCount();
    void dischargeCountUse();
};

void TestValveDiagram::plotCommand_data()
{
    QTest::addColumn<Quantity>("quantity");
    QTest::addColumn<int>("suction");
    QTest::addColumn<int>("discharge");
    QTest::addColumn<QStringList>("expected"); // ylabel line and the plot command

    const QString p = QStringLiteral("'../Case680mm/Output.txt' every::1 u 4:");
    QTest::newRow("discharge mass flow, one valve each (the default choice)")
        << Quantity::DischargeMassFlow << 1 << 1
        << QStringList{"set ylabel 'mass flow [kg/s]'",
                       "plot " + p + "58 title 'Disc. Valve1' w l"};
    QTest::newRow("discharge mass flow, two valves each")
        << Quantity::DischargeMassFlow << 2 << 2
        << QStringList{"set ylabel 'mass flow [kg/s]'",
                       "plot " + p + "67 title 'Disc. Valve1' w l, \\",
                       p + "76 title 'Disc. Valve2' w l"};
    QTest::newRow("suction mass flow, three suction valves")
        << Quantity::SuctionMassFlow << 3 << 5
        << QStringList{"set ylabel 'mass flow [kg/s]'",
                       "plot " + p + "49 title 'Suc. Valve1' w l, \\",
                       p + "58 title 'Suc. Valve2' w l, \\",
                       p + "67 title 'Suc. Valve3' w l"};
    QTest::newRow("valve lifting, two valves each")
        << Quantity::Lift << 2 << 2
        << QStringList{"set ylabel 'valve lift [m]'",
                       "plot " + p + "44 title 'Suc. Valve1' w l, \\",
                       p + "53 title 'Suc. Valve2' w l, \\",
                       p + "62 title 'Disc. Valve1' w l, \\",
                       p + "71 title 'Disc. Valve2' w l"};
    QTest::newRow("valve speed, one suction and three discharge valves")
        << Quantity::Velocity << 1 << 3
        << QStringList{"set ylabel 'valve velocity [m/s]'",
                       "plot " + p + "45 title 'Suc. Valve1' w l, \\",
                       p + "54 title 'Disc. Valve1' w l, \\",
                       p + "63 title 'Disc. Valve2' w l, \\",
                       p + "72 title 'Disc. Valve3' w l"};
}

void TestValveDiagram::plotCommand()
{
    QFETCH(Quantity, quantity);
    QFETCH(int, suction);
    QFETCH(int, discharge);
    QFETCH(QStringList, expected);
    const QStringList script =
        ValveDiagram::plotScript(QStringLiteral("Case680mm"), quantity, suction, discharge);
    QCOMPARE(script.mid(3), expected);
}

void TestValveDiagram::scriptHead()
{
    const QStringList script =
        ValveDiagram::plotScript(QStringLiteral("Case680mm"), Quantity::Lift, 1, 1);
    QCOMPARE(script.mid(0, 3), (QStringList{"set terminal png size 600,350",
                                            "set output 'Valves.png'",
                                            "set xlabel 'crank angle [deg]'"}));
}

void TestValveDiagram::largestDiagram()
{
    const QStringList script = ValveDiagram::plotScript(QStringLiteral("C"), Quantity::Lift, 8, 8);
    QCOMPARE(script.size(), 4 + 16);
    QCOMPARE(script.at(11), QStringLiteral("'../C/Output.txt' every::1 u 4:107 title 'Suc. Valve8' w l, \\"));
    QCOMPARE(script.last(), QStringLiteral("'../C/Output.txt' every::1 u 4:179 title 'Disc. Valve8' w l"));
}

void TestValveDiagram::valveCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // 0: refused
    QTest::newRow("one") << "1" << 1;
    QTest::newRow("eight") << "8" << 8;
    QTest::newRow("blanks around") << " 3 " << 3;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("nine") << "9" << 0;
    QTest::newRow("negative") << "-2" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("words") << "two" << 0;
    QTest::newRow("fraction") << "2.5" << 0;
    QTest::newRow("exponent") << "1e1" << 0;
    QTest::newRow("beyond int") << "99999999999" << 0;
}

void TestValveDiagram::valveCount()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(ValveDiagram::valveCount(text).value_or(0), expected);
}

void TestValveDiagram::dischargeCountUse()
{
    QVERIFY(ValveDiagram::usesDischargeCount(Quantity::DischargeMassFlow));
    QVERIFY(!ValveDiagram::usesDischargeCount(Quantity::SuctionMassFlow));
    QVERIFY(ValveDiagram::usesDischargeCount(Quantity::Lift));
    QVERIFY(ValveDiagram::usesDischargeCount(Quantity::Velocity));
}

QTEST_GUILESS_MAIN(TestValveDiagram)
#include "tst_valvediagram.moc"
