#include "app/wiring.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "ui/click_filter.h"
#include "ui/list_box.h"
#include "ui/main/form1.h"

void connectHandlers(Form1& form)
{
    QObject::connect(form.Command1, &QPushButton::clicked, &form, &Form1::Command1_Click);
    QObject::connect(form.Command10, &QPushButton::clicked, &form, &Form1::Command10_Click);
    QObject::connect(form.Command2, &QPushButton::clicked, &form, &Form1::Command2_Click);
    QObject::connect(form.Command3, &QPushButton::clicked, &form, &Form1::Command3_Click);
    QObject::connect(form.Command4, &QPushButton::clicked, &form, &Form1::Command4_Click);
    QObject::connect(form.Command5, &QPushButton::clicked, &form, &Form1::Command5_Click);
    QObject::connect(form.Command19, &QPushButton::clicked, &form, &Form1::Command19_Click);
    QObject::connect(form.Command20, &QPushButton::clicked, &form, &Form1::Command20_Click);
    QObject::connect(form.Check1, &QCheckBox::toggled, &form, &Form1::Check1_Click);
    QObject::connect(form.Command8, &QPushButton::clicked, &form, &Form1::Command8_Click);
    QObject::connect(form.Command9, &QPushButton::clicked, &form, &Form1::Command9_Click);
    QObject::connect(form.Command17, &QPushButton::clicked, &form, &Form1::Command17_Click);
    // Every choice of the user selects, the entry already selected too, so a
    // click reloads what was edited; the program filling or emptying a list
    // chooses nothing.
    QObject::connect(form.List1, &ListBox::chosen, &form, &Form1::List1_Click);
    QObject::connect(form.Combo3->lineEdit(), &QLineEdit::textEdited, &form, &Form1::Combo3_Change);
    QObject::connect(form.Command13, &QPushButton::clicked, &form, &Form1::Command13_Click);
    QObject::connect(form.Command14, &QPushButton::clicked, &form, &Form1::Command14_Click);
    QObject::connect(form.Command15, &QPushButton::clicked, &form, &Form1::Command15_Click);
    QObject::connect(form.Command16, &QPushButton::clicked, &form, &Form1::Command16_Click);
    QObject::connect(form.List2, &ListBox::chosen, &form, &Form1::List2_Click);
    QObject::connect(form.Command11, &QPushButton::clicked, &form, &Form1::Command11_Click);
    QObject::connect(form.Command22, &QPushButton::clicked, &form, &Form1::Command22_Click);
    QObject::connect(form.Timer1, &QTimer::timeout, &form, &Form1::Timer1_Timer);
    // A check box's handler runs on every change of its value, the program's
    // own changes included, as start-up relies on.
    QObject::connect(form.Check2, &QCheckBox::toggled, &form, &Form1::Check2_Click);
    QObject::connect(form.Command7, &QPushButton::clicked, &form, &Form1::Command7_Click);
    QObject::connect(form.Command12, &QPushButton::clicked, &form, &Form1::Command12_Click);
    QObject::connect(form.Command38, &QPushButton::clicked, &form, &Form1::Command38_Click);
    QObject::connect(form.Command39, &QPushButton::clicked, &form, &Form1::Command39_Click);
    QObject::connect(form.Command6, &QPushButton::clicked, &form, &Form1::Command6_Click);
    QObject::connect(form.Command18, &QPushButton::clicked, &form, &Form1::Command18_Click);
    QObject::connect(form.Command21, &QPushButton::clicked, &form, &Form1::Command21_Click);
    onClick(form.Picture1, [&form] { form.Picture1_Click(); });
    onClick(form.Image1, [&form] { form.Image1_Click(); });
    QObject::connect(&form, &Form1::closeRequested, &form, &Form1::Command11_Click);
    form.buildDataMenu();
    form.buildSearchAllAction();
    form.setUpBrokenLinks();
    form.installDropTargets();
}
