#pragma once

#include <memory>

#include <QString>
#include <QWidget>

#include "platform/browser.h"

class Form1;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The settings dialog "環境設定": an information text, the conversion of the
// stored path prefixes and a banner that opens the home page. Opened by the
// main window (one at a time, not modal) and destroyed when closed, so its
// fields start empty each time it is opened again.
class Form2 : public QWidget
{
    Q_OBJECT
public:
    // The window is owned by form and lives beside it as a window of its own.
    explicit Form2(Form1& form);

    static const QString kHomePage;
    // The dialog grows below its design height so the conversion rows get
    // fields wide enough for a folder prefix such as /media/old.
    static constexpr int kWidthTwips = 6180;
    static constexpr int kHeightTwips = 7260;

    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Image1_Click();
    void ie_OnQuit();

    QPlainTextEdit* Text1;
    QLabel* Label5;
    QPlainTextEdit* Text4;

    // The conversion rows: label, old prefix, button, new prefix.
    QLabel* Label1;
    QLineEdit* Text3;
    QPushButton* Command3;
    QLineEdit* Text5;
    QLabel* Label2;
    QLineEdit* Text6;
    QPushButton* Command4;
    QLineEdit* Text7;
    QLabel* Label3;
    QLineEdit* Text8;
    QPushButton* Command5;
    QLineEdit* Text9;
    QLabel* Label4;
    QLineEdit* Text10;
    QPushButton* Command6;
    QLineEdit* Text11;

    QLabel* Image1;
    QPushButton* Command2;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The banner's own browser window, apart from the main window's.
    std::unique_ptr<BrowserWindow> ie;

private:
    void convertRow(QLineEdit* oldField, QLineEdit* newField, const QString& column);

    Form1& m_form;
};
