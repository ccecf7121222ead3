#pragma once

#include <QString>
#include <QWidget>

#include "platform/browser.h"
#include "platform/services.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QTimer;
class Shape;
class TabArea;

// The main window. It is the program's whole working state: every procedure
// reads its inputs from these elements and writes its results back into them.
// The elements keep the names the catalogue's procedures know them by.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // programFolder holds the catalogue file, the memo folder and the help page.
    Form1(const Services& services, QString programFolder, QWidget* parent = nullptr);
    ~Form1() override;

    const Services& services() const { return m_services; }
    const QString& programFolder() const { return m_programFolder; }
    // The catalogue file in the program folder.
    QString databasePath() const;

    // Widths of the status line: narrow leaves the memory gauge visible to its
    // right, wide covers it.
    static constexpr int kStatusNarrowTwips = 6750;
    static constexpr int kStatusWideTwips = 7890;

    // Start-up and shutdown.
    void Form_Load();
    void Command11_Click();
    void Command22_Click();

    // Clock and memory gauge.
    void Timer1_Timer();
    void Check2_Click();

    // Launching and the link icon.
    void Picture1_Click();
    void Command6_Click();
    void Image1_Click();
    void Command21_Click();

    // Help and the external browser.
    void Command18_Click();
    void ie_OnQuit();

    // Top band.
    QLabel* Label1;
    QComboBox* Combo1;
    QLabel* Label8;
    QComboBox* Combo2;
    QPushButton* Command1;
    QLabel* Label4;
    QLineEdit* Text2;
    QLabel* Label18;
    QPushButton* Command22;
    QLabel* Picture1;

    // Title list and search.
    QLabel* Label2;
    QLabel* Label15;
    QListWidget* List1;
    QLabel* Label3;
    QLineEdit* Text1;
    QPushButton* Command2;

    // Title fields.
    QLabel* Label7;
    QLineEdit* Text5;
    QPushButton* Command9;
    QLabel* Label6;
    QPushButton* Command19;
    QComboBox* Combo3;
    QPushButton* Command20;
    QPushButton* Command8;
    QLabel* Label16;
    QLineEdit* Text9;
    QPushButton* Command17;
    QLabel* Label10;
    QLineEdit* Text6;
    QPushButton* Command12;

    // Command row.
    QPushButton* Command10;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* Command5;
    QPushButton* Command6;
    QPushButton* Command7;
    QPushButton* Command18;
    QPushButton* Command11;

    // Bottom band: status line and memory gauge.
    QLineEdit* Text8;
    QLabel* Label17;
    Shape* Shape3;
    Shape* Shape2;
    Shape* Shape1;

    // Tab area and its pages.
    TabArea* SSTab1;
    QPlainTextEdit* Text3;
    QLabel* Label14;
    QPushButton* Command13;
    QPushButton* Command14;
    QPushButton* Command15;
    QPushButton* Command16;
    QPushButton* Command21;
    QLabel* Label113;
    QLineEdit* Text7;
    QLabel* Image1;
    QLabel* Picture2;
    QScrollArea* WebBrowser1;
    QCheckBox* Check1;
    QCheckBox* Check2;
    QListWidget* List2;
    QPushButton* Command38;
    QPushButton* Command39;
    QLabel* OLE2;

    QTimer* Timer1;

    // The external browser window shared by the help page and web-address
    // launches; empty until the first is opened and after the user closes it.
    std::unique_ptr<BrowserWindow> ie;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildTopBand();
    void buildTitleList();
    void buildTitleFields();
    void buildCommandRow();
    void buildBottomBand();
    void buildTabArea();
    void connectHandlers();

    Services m_services;
    QString m_programFolder;
    bool m_ending = false;
};
