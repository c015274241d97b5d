#include "TForm6.h"

#include "ui/ApplicationErrors.h"
#include "ui/Caption.h"
#include "ui/FramePlacement.h"
#include "ui/WindowFont.h"
#include "calibration/SensorCalibration.h"
#include "workfolder/WorkFolder.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

TForm6::TForm6(QWidget *parent, const QString &settingsDirectory)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                               | Qt::MSWindowsFixedSizeDialogHint),
      m_settingsFile(settingsDirectory.isEmpty() ? WorkFolder::locate().settingsPath()
                                                 : SensorCalibration::fileIn(settingsDirectory))
{
    setObjectName(u"Form6"_s);
    // Only the main window keeps the program running.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(windowFont());
    setFixedSize(ClientWidth, ClientHeight);

    Label1 = new QLabel(u"Калибровка датчика атмосферного давления"_s, this);
    Label1->move(12, 24);
    Label1->adjustSize();
    Label2 = new QLabel(u"Калибровка датчика влажности воздуха"_s, this);
    Label2->move(12, 52);
    Label2->adjustSize();
    Edit1 = new QLineEdit(u"0"_s, this);
    Edit1->setObjectName(u"Edit1"_s);
    Edit1->setGeometry(260, 20, 121, 21);
    Edit2 = new QLineEdit(u"0"_s, this);
    Edit2->setObjectName(u"Edit2"_s);
    Edit2->setGeometry(260, 48, 121, 21);
    Label1->setBuddy(Edit1);
    Label2->setBuddy(Edit2);
    Button1 = new QPushButton(u"Закрыть"_s, this);
    Button1->setObjectName(u"Button1"_s);
    Button1->setGeometry(260, 80, 121, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);

    FormCreate();
}

TForm6::~TForm6()
{
    FormDestroy();
}

SensorCalibration TForm6::calibration() const
{
    SensorCalibration values;
    values.pressure = Edit1->text();
    values.humidity = Edit2->text();
    return values;
}

bool TForm6::setCalibration(const SensorCalibration &values, QString *)
{
    // The fields take any text; "sensor.ini" is written when the window goes.
    Edit1->setText(values.pressure);
    Edit2->setText(values.humidity);
    return true;
}

void TForm6::FormCreate()
{
    setWindowTitle(u"Калибровка датчиков"_s + Caption::suffix());
    setCalibration(SensorCalibration::load(m_settingsFile), nullptr);
}

void TForm6::FormDestroy()
{
    QString error;
    if (!calibration().save(m_settingsFile, &error))
        ApplicationErrors::show(error);
}

void TForm6::Button1Click()
{
    close();
}

void TForm6::showEvent(QShowEvent *event)
{
    if (const QWidget *parent = parentWidget()) {
        move(FramePlacement::beside(parent->window()->frameGeometry(), frameGeometry().size(),
                                    FramePlacement::Side::Centre)
                 .topLeft());
    }
    QWidget::showEvent(event);
}

void TForm6::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() & ~Qt::KeypadModifier)
            break;
        Button1->click();
        return;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}
