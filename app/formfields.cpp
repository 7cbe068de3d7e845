// The one place that knows which line edit of the form holds which parameter.
// The object names are the form's own and stay as they are.
#include "kalvex.h"

#include <QHash>

namespace {

using P = Parameter;
using Member = QLineEdit *Ui_MainWindow::*;

const QHash<Parameter, Member> &formFields()
{
    static const QHash<Parameter, Member> table = {
        {P::CaseName, &Ui_MainWindow::lineEdit_CA},
        {P::PistonDiameter, &Ui_MainWindow::lineEdit_PA_1},
        {P::RodDiameter, &Ui_MainWindow::lineEdit_PA_1b},
        {P::MinimalGap, &Ui_MainWindow::lineEdit_PA_2},
        {P::CrankRadius, &Ui_MainWindow::lineEdit_PA_3},
        {P::ConrodLength, &Ui_MainWindow::lineEdit_PA_4},
        {P::CrankSpeed, &Ui_MainWindow::lineEdit_PA_5},
        {P::HeatCapacityRatio, &Ui_MainWindow::lineEdit_PA_6},
        {P::SuctionPressure, &Ui_MainWindow::lineEdit_PA_7},
        {P::DischargePressure, &Ui_MainWindow::lineEdit_PA_8},
        {P::SuctionDensity, &Ui_MainWindow::lineEdit_PA_9},
        {P::CellsAlongPistonRadius, &Ui_MainWindow::lineEdit_PA_10},
        {P::CellsAlongRodRadius, &Ui_MainWindow::lineEdit_PA_11},
        {P::CellsInClearance, &Ui_MainWindow::lineEdit_PA_12},
        {P::GradingPiston, &Ui_MainWindow::lineEdit_PA_13},
        {P::GradingRod, &Ui_MainWindow::lineEdit_PA_14},
        {P::CourantNumber, &Ui_MainWindow::lineEdit_PA_15},
        {P::EndAngle, &Ui_MainWindow::lineEdit_PA_16},
        {P::MolarMass, &Ui_MainWindow::lineEdit_PA_19},
        {P::Viscosity, &Ui_MainWindow::lineEdit_PA_29},

        {P::ValveDiameter, &Ui_MainWindow::lineEdit_PA_17},
        {P::SuctionValveCount, &Ui_MainWindow::lineEdit_PA_18},
        {P::SuctionPocketAngle1, &Ui_MainWindow::lineEdit_PA_19a},
        {P::SuctionPocketAngle2, &Ui_MainWindow::lineEdit_PA_19b},
        {P::SuctionPocketAngle3, &Ui_MainWindow::lineEdit_PA_19c},
        {P::SuctionPocketAngle4, &Ui_MainWindow::lineEdit_PA_19d},
        {P::SuctionPocketAngle5, &Ui_MainWindow::lineEdit_PA_19e},
        {P::SuctionMaxLift, &Ui_MainWindow::lineEdit_PA_20},
        {P::SuctionFe1mm, &Ui_MainWindow::lineEdit_PA_21},
        {P::SuctionAlpha, &Ui_MainWindow::lineEdit_PA_22},
        {P::SuctionBeta, &Ui_MainWindow::lineEdit_PA_23},
        {P::SuctionPlateMass, &Ui_MainWindow::lineEdit_PA_24},
        {P::SuctionForceArea, &Ui_MainWindow::lineEdit_PA_25},
        {P::SuctionSpringStiffness, &Ui_MainWindow::lineEdit_PA_26},
        {P::SuctionSpringLength, &Ui_MainWindow::lineEdit_PA_27},
        {P::DischargeValveCount, &Ui_MainWindow::lineEdit_PA_28},
        {P::DischargePocketAngle1, &Ui_MainWindow::lineEdit_PA_29a},
        {P::DischargePocketAngle2, &Ui_MainWindow::lineEdit_PA_29b},
        {P::DischargePocketAngle3, &Ui_MainWindow::lineEdit_PA_29c},
        {P::DischargePocketAngle4, &Ui_MainWindow::lineEdit_PA_29d},
        {P::DischargePocketAngle5, &Ui_MainWindow::lineEdit_PA_29e},
        {P::DischargeMaxLift, &Ui_MainWindow::lineEdit_PA_30},
        {P::DischargeFe1mm, &Ui_MainWindow::lineEdit_PA_31},
        {P::DischargeAlpha, &Ui_MainWindow::lineEdit_PA_32},
        {P::DischargeBeta, &Ui_MainWindow::lineEdit_PA_33},
        {P::DischargePlateMass, &Ui_MainWindow::lineEdit_PA_34},
        {P::DischargeForceArea, &Ui_MainWindow::lineEdit_PA_35},
        {P::DischargeSpringStiffness, &Ui_MainWindow::lineEdit_PA_36},
        {P::DischargeSpringLength, &Ui_MainWindow::lineEdit_PA_37},
        {P::PocketRadius, &Ui_MainWindow::lineEdit_PA_38},
        {P::ConeHeight, &Ui_MainWindow::lineEdit_PA_39},
        {P::PocketHeight, &Ui_MainWindow::lineEdit_PA_40},

        {P::MeshFileName, &Ui_MainWindow::lineEdit_CA_2},
    };
    return table;
}

} // namespace

QLineEdit *Kalvex::parameterField(Parameter key) const
{
    const Ui_MainWindow &form = *this;
    return form.*formFields().value(key);
}

QString Kalvex::text(Parameter key) const
{
    return parameterField(key)->text();
}

FieldTexts Kalvex::texts(const QList<Parameter> &keys) const
{
    FieldTexts texts;
    for (const Parameter key : keys)
        texts.insert(key, text(key));
    return texts;
}

// A value wider than its field shows its beginning, not its end.
void Kalvex::showTexts(const FieldTexts &texts)
{
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        QLineEdit *field = parameterField(it.key());
        field->setText(it.value());
        field->setCursorPosition(0);
    }
}

// Every parameter field tells its whole text in its tool tip, whatever part
// of it the field has room to show.
void Kalvex::setUpParameterFields()
{
    for (auto it = formFields().cbegin(); it != formFields().cend(); ++it) {
        QLineEdit *field = this->*it.value();
        field->setToolTip(field->text());
        connect(field, &QLineEdit::textChanged, field, &QWidget::setToolTip);
    }
}
