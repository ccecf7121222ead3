#pragma once

#include <optional>

#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/browser.h"
#include "platform/services.h"
#include "store/title_queries.h"
#include "ui/picture_cache.h"
// Complete, so code written against the scroll area it once was still compiles.
#include "ui/picture_browser.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class ListBox;
class Shape;
class TabArea;

// The main window. It is the program's whole working state: every procedure
// reads its inputs from these elements and writes its results back into them.
// The elements keep the names the catalogue's procedures know them by.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    // dataFolder holds the catalogue file, the memo folder and the help page.
    Form1(const Services& services, QString dataFolder, QWidget* parent = nullptr);
    // dataFolder holds the catalogue file and the memo folder; sharedFolder the
    // files shipped with the program (help page, banner, icons, blank memo).
    Form1(const Services& services, QString dataFolder, QString sharedFolder,
          QWidget* parent = nullptr);
    ~Form1() override;

    const Services& services() const { return m_services; }
    // The data folder: the catalogue file and the memo folder.
    const QString& dataFolder() const { return m_dataFolder; }
    // Where the shipped files are read from; never written.
    const QString& sharedFolder() const { return m_sharedFolder; }
    // The catalogue file in the data folder.
    QString databasePath() const;

    // Widths of the status line: narrow leaves the memory gauge visible to its
    // right, wide covers it.
    static constexpr int kStatusNarrowTwips = 6750;
    static constexpr int kStatusWideTwips = 7890;

    // The handlers. Each group is defined in the file named beside it; the
    // program connects them to the controls (app/wiring.cpp), so that the
    // window itself depends on none of the features.

    // Start-up and shutdown (catalogue/startup.cpp).
    void Form_Load();
    void Command11_Click();
    void Command22_Click();

    // Category panel (catalogue/category_panel.cpp) and clearing
    // (catalogue/clearing.cpp).
    void Command1_Click();
    void Command10_Click();

    // Title list and editor (editor/title_editor.cpp).
    void List1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command19_Click();
    void Command20_Click();
    void Check1_Click();

    // File dialogs of the editor rows (images/file_dialogs.cpp).
    void Command8_Click();
    void Command9_Click();
    void Command17_Click();

    // Link-target box (launch/thumbnail.cpp): its change handler runs when the
    // user types in it and when the program sets its text, not when an entry
    // is picked from its list.
    void Combo3_Change();
    // Sets Combo3's text as the program does, raising Combo3_Change on a
    // change.
    void setLinkTargetText(const QString& text);

    // Image list navigation (images/image_navigation.cpp).
    void Command13_Click();
    void Command14_Click();
    void Command15_Click();
    void Command16_Click();
    void List2_Click();

    // Clock and memory gauge (catalogue/clock_gauge.cpp).
    void Timer1_Timer();
    void Check2_Click();

    // Settings dialog (maint/settings_dialog.cpp), folder chooser
    // (images/folder_chooser.cpp) and handwritten memo (memo/memo.cpp).
    void Command7_Click();
    void Command12_Click();
    void Command38_Click();
    void Command39_Click();

    // Launching and the link icon (launch/launcher.cpp).
    void Picture1_Click();
    void Command6_Click();
    void Image1_Click();
    void Command21_Click();

    // Help and the external browser (help/help_page.cpp).
    void Command18_Click();
    void ie_OnQuit();

    // Backups, export and import, from the context menu of the window's
    // background and their shortcuts (maint/data_menu.cpp).
    void buildDataMenu();
    void RestoreMenu_Click();
    void ExportMenu_Click();
    void ImportMenu_Click();
    // Shows the catalogue afresh after it was replaced or added to.
    void reloadCatalogue();
    QAction* RestoreAction = nullptr;
    QAction* ExportAction = nullptr;
    QAction* ImportAction = nullptr;
    // The search over every category, from its shortcut and the window's
    // menus (catalogue/search_all_window.cpp).
    void buildSearchAllAction();
    void SearchAllMenu_Click();
    QAction* SearchAllAction = nullptr;
    // Drops of files, folders, web addresses and pictures on the editor, the
    // thumbnail area and the title list (images/drop_targets.cpp).
    void installDropTargets();
    // Broken links (launch/broken_links_window.cpp): the action that opens
    // the check's list window, and that window while it is open.
    void setUpBrokenLinks();
    QAction* BrokenLinksAction = nullptr;
    QPointer<QWidget> brokenLinksWindow;

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
    ListBox* List1;
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
    PictureBrowser* WebBrowser1;
    QCheckBox* Check1;
    QCheckBox* Check2;
    ListBox* List2;
    QPushButton* Command38;
    QPushButton* Command39;
    QLabel* OLE2;

    QTimer* Timer1;

    // The window's state beside its controls.

    // The title the editor read, as stored, so that 更新 and 削除 write only
    // what nobody has changed since (catalogue/title_ops.cpp). It is kept only
    // while the name field still shows the name that was read: any change of
    // Text2, typed or made by the program, forgets it, and the name in the
    // field is then used as it always was.
    struct ReadTitle {
        std::optional<StoredTitle> title;
        // The description as the editor showed it once read or written: while
        // the editor still shows exactly this, the stored bytes are kept,
        // since the editor cannot show every stored character as it is (a
        // no-break space, a lone CR, the spaces the left trim takes off).
        QString shownDescription;
    };
    ReadTitle readTitle;

    // The image list's builds (images/image_list.cpp). Each walk of the folder
    // hands the event loop a turn, and a click handled then may start a build
    // of its own; a build that sees requests move on stops and leaves the list
    // to the newer one, so no entry is listed twice.
    struct ImageListBuild {
        bool running = false;
        quint64 requests = 0;
    };
    ImageListBuild imageListBuild;

    // Pictures already decoded, for the thumbnail and the image steps,
    // decoded by the services' picture loader.
    PictureCache pictureCache;

    // The external browser window shared by the help page and web-address
    // launches; empty until the first is opened and after the user closes it.
    std::unique_ptr<BrowserWindow> ie;

signals:
    // The window manager asked the window to close while no handler had
    // ended the program.
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void buildTopBand();
    void buildTitleList();
    void buildTitleFields();
    void buildCommandRow();
    void buildBottomBand();
    void buildTabArea();

    Services m_services;
    QString m_dataFolder;
    QString m_sharedFolder;
    bool m_ending = false;
};
