#include "ui/main/form1.h"

#include <limits>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

#include "store/catalogue_db.h"
#include "ui/click_filter.h"
#include "ui/list_box.h"
#include "ui/look.h"
#include "ui/main/tab_area.h"
#include "ui/picture_browser.h"
#include "ui/shape.h"
#include "ui/twips.h"

namespace
{

template <typename W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption)
{
    auto* label = named(new QLabel(caption, parent), name);
    label->setWordWrap(false);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    return button;
}

QComboBox* makeCombo(QWidget* parent, const char* name)
{
    auto* combo = named(new QComboBox(parent), name);
    combo->setEditable(true);
    // Typing never adds to the list on its own; the procedures own the lists.
    combo->setInsertPolicy(QComboBox::NoInsert);
    // The text is used exactly as typed: no completion from the list, neither
    // inline while typing nor on Enter, where Qt would pick an entry that
    // differs from the typed text in letter case.
    combo->setCompleter(nullptr);
    return combo;
}

} // namespace

Form1::Form1(const Services& services, QString dataFolder, QWidget* parent)
    : Form1(services, dataFolder, dataFolder, parent)
{
}

Form1::Form1(const Services& services, QString dataFolder, QString sharedFolder, QWidget* parent)
    : QWidget(parent), pictureCache(services.pictures), m_services(services),
      m_dataFolder(std::move(dataFolder)), m_sharedFolder(std::move(sharedFolder))
{
    installFontSubstitutes();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("ＱＵＩＬＭＯ　Ver.2.01a"));
    // Fixed size, and only a title bar: no maximise, minimise or close box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(twipsToPixels(7950), twipsToPixels(6105));
    useDesignFont(this);
    paintLightGreen(this);

    // The icon theme's copy under the application id, the one the desktop
    // entry and the dock show; the shipped files when no theme has it, as
    // when the program runs from its build folder.
    QIcon shipped;
    for (const char* size : {"16", "32"}) {
        const QString file =
            QDir(m_sharedFolder)
                .filePath(QStringLiteral("icons/quilmo-%1.png").arg(QLatin1String(size)));
        if (QFile::exists(file))
            shipped.addFile(file);
    }
    const QIcon icon = QIcon::fromTheme(QStringLiteral("org.example.quilmo"), shipped);
    if (!icon.isNull())
        setWindowIcon(icon);

    // The gauge is drawn on the window below every field, so it is built
    // first; the status line, built after it, covers it when widened.
    buildBottomBand();
    buildTopBand();
    buildTitleList();
    buildTitleFields();
    buildCommandRow();
    buildTabArea();
    Text8->raise();
    // A line field cuts its text at 32,767 characters by default. A longer
    // stored value would then load cut, an update would write the cut text
    // back, and a cut name could even be another title's: the fields hold
    // whatever the catalogue holds.
    for (QLineEdit* field : findChildren<QLineEdit*>())
        field->setMaxLength(std::numeric_limits<int>::max());

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(300);
    Timer1->start();

    connect(Text2, &QLineEdit::textChanged, this, [this] { readTitle.title.reset(); });

    QWidget::setTabOrder(Combo2, Combo1);
    QWidget::setTabOrder(Combo1, Command1);
    Combo2->setFocus();
}

Form1::~Form1() = default;

QString Form1::databasePath() const
{
    return catalogueLocation(m_dataFolder);
}

void Form1::buildTopBand()
{
    Label1 = makeLabel(this, "Label1", QStringLiteral("カテゴリ"));
    placeTwips(Label1, 285, 90, 975, 180);
    Combo1 = makeCombo(this, "Combo1");
    placeTwips(Combo1, 60, 285, 1635, 300);
    Label8 = makeLabel(this, "Label8", QStringLiteral("操作"));
    placeTwips(Label8, 1845, 90, 840, 180);
    Combo2 = makeCombo(this, "Combo2");
    placeTwips(Combo2, 1695, 300, 975, 300);
    Command1 = makeButton(this, "Command1", QStringLiteral("決定"));
    placeTwips(Command1, 2655, 270, 555, 300);
    Label4 = makeLabel(this, "Label4", QStringLiteral("タイトル"));
    placeTwips(Label4, 3945, 30, 735, 210);
    Text2 = named(new QLineEdit(this), "Text2");
    placeTwips(Text2, 3435, 285, 3555, 315);
    Label18 = makeLabel(this, "Label18", QStringLiteral("12:12:12"));
    Label18->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Eight digits and colons in the UI font overflow the label's 51 pixels
    // with the CJK fonts of a Linux desktop; the small font keeps them whole.
    Label18->setFont(smallFont());
    placeTwips(Label18, 6870, 30, 765, 195);
    Command22 = makeButton(this, "Command22", QStringLiteral("x"));
    Command22->setFont(designFont(QStringLiteral("ＭＳ Ｐゴシック"), 9, true));
    // The button is only 13 pixels wide; without this the style's padding
    // would push the caption out of sight.
    Command22->setStyleSheet(QStringLiteral("padding: 0px;"));
    placeTwips(Command22, 7755, 0, 195, 210);
    Picture1 = makeLabel(this, "Picture1", QString());
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    paintLightGreen(Picture1);
    placeTwips(Picture1, 7170, 210, 600, 510);
}

void Form1::buildTitleList()
{
    Label2 = makeLabel(this, "Label2", QStringLiteral("タイトル・リスト"));
    placeTwips(Label2, 270, 615, 1320, 240);
    Label15 = makeLabel(this, "Label15", QString());
    Label15->setAlignment(Qt::AlignCenter);
    placeTwips(Label15, 1710, 645, 930, 180);
    List1 = named(new ListBox(this), "List1");
    {
        QPalette palette = List1->palette();
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Text, Qt::black);
        List1->setPalette(palette);
    }
    placeTwips(List1, 75, 825, 3135, 2760);
    Label3 = makeLabel(this, "Label3", QStringLiteral("タイトル絞込み検索文字列"));
    placeTwips(Label3, 120, 3690, 2325, 210);
    Text1 = named(new QLineEdit(this), "Text1");
    placeTwips(Text1, 60, 3930, 2535, 330);
    Command2 = makeButton(this, "Command2", QStringLiteral("検索"));
    placeTwips(Command2, 2595, 3915, 630, 330);
}

void Form1::buildTitleFields()
{
    const QFont small = smallFont();
    Label7 = makeLabel(this, "Label7", QStringLiteral("画像ファイル"));
    Label7->setFont(small);
    placeTwips(Label7, 150, 4350, 1035, 150);
    Text5 = named(new QLineEdit(this), "Text5");
    placeTwips(Text5, 1290, 4305, 6015, 300);
    Command9 = makeButton(this, "Command9", QStringLiteral("参照"));
    placeTwips(Command9, 7290, 4290, 630, 300);

    Label6 = makeLabel(this, "Label6", QStringLiteral("リンク先"));
    Label6->setFont(small);
    placeTwips(Label6, 285, 4635, 630, 180);
    Command19 = makeButton(this, "Command19", QStringLiteral("Add"));
    placeTwips(Command19, 1260, 4590, 450, 300);
    Combo3 = makeCombo(this, "Combo3");
    placeTwips(Combo3, 1695, 4590, 5130, 300);
    Command20 = makeButton(this, "Command20", QStringLiteral("Del"));
    placeTwips(Command20, 6810, 4590, 480, 300);
    Command8 = makeButton(this, "Command8", QStringLiteral("参照"));
    placeTwips(Command8, 7290, 4590, 630, 300);

    Label16 = makeLabel(this, "Label16", QStringLiteral("起動オプション"));
    Label16->setFont(small);
    placeTwips(Label16, 105, 4980, 1080, 180);
    Text9 = named(new QLineEdit(this), "Text9");
    placeTwips(Text9, 1275, 4890, 6015, 300);
    Command17 = makeButton(this, "Command17", QStringLiteral("参照"));
    placeTwips(Command17, 7290, 4890, 630, 300);

    Label10 = makeLabel(this, "Label10", QStringLiteral("作業フォルダ"));
    Label10->setFont(small);
    placeTwips(Label10, 105, 5295, 930, 165);
    Text6 = named(new QLineEdit(this), "Text6");
    placeTwips(Text6, 1275, 5190, 6015, 300);
    Command12 = makeButton(this, "Command12", QStringLiteral("参照"));
    placeTwips(Command12, 7290, 5190, 630, 300);
}

void Form1::buildCommandRow()
{
    struct Row {
        QPushButton** button;
        const char* name;
        const char* caption;
        int left;
        int width;
    };
    const Row rows[] = {
        {&Command10, "Command10", "クリア", 30, 855},
        {&Command3, "Command3", "登録", 885, 1000},
        {&Command4, "Command4", "更新", 1890, 1000},
        {&Command5, "Command5", "削除", 2895, 1000},
        {&Command6, "Command6", "起動", 3900, 1000},
        {&Command7, "Command7", "環境設定", 4905, 1000},
        {&Command18, "Command18", "HELP", 5910, 960},
        {&Command11, "Command11", "終了", 6870, 1050},
    };
    for (const Row& row : rows) {
        *row.button = makeButton(this, row.name, QString::fromUtf8(row.caption));
        placeTwips(*row.button, row.left, 5490, row.width, 315);
    }
    Command7->setFont(designFont(QStringLiteral("ＭＳ ゴシック"), 9));
}

void Form1::buildBottomBand()
{
    Label17 = makeLabel(this, "Label17", QStringLiteral("Memory 100%"));
    Shape3 = named(new Shape(this, Qt::black, std::nullopt), "Shape3");
    Shape3->setTwipsGeometry(6870, 5945, 1035, 135);
    // The label's design box runs past the window's right edge and into the
    // gauge frame. It keeps to the part inside the window and above the frame,
    // in the small font made small enough for "Memory 100%", the widest text
    // the tick writes.
    QRect labelBox = twipsRect(6930, 5800, 1095, 165).intersected(rect());
    labelBox.setBottom(Shape3->y() - 1);
    Label17->setGeometry(labelBox);
    Label17->setFont(fontFitting(smallFont(), Label17->text(), labelBox.size(), 7));
    Shape2 = named(new Shape(this, Qt::white, QColor(Qt::white)), "Shape2");
    Shape2->setTwipsGeometry(6885, 5950, 1005, 100);
    Shape1 = named(new Shape(this, QColor(0, 0, 255), QColor(0, 0, 255)), "Shape1");
    Shape1->setTwipsGeometry(6870, 5950, 495, 100);

    Text8 = named(new QLineEdit(this), "Text8");
    Text8->setReadOnly(true);
    Text8->setFocusPolicy(Qt::NoFocus);
    Text8->setStyleSheet(QStringLiteral(
        "QLineEdit { background: black; color: rgb(0, 255, 0); border: none; padding: 0px; }"));
    placeTwips(Text8, 30, 5820, kStatusNarrowTwips, 240);
    // A line edit leaves the cursor after new text and scrolls to it, which
    // would show a long message without its beginning; every message is
    // read from its first character.
    connect(Text8, &QLineEdit::textChanged, Text8, [this] { Text8->setCursorPosition(0); });
}

void Form1::buildTabArea()
{
    SSTab1 = named(new TabArea(this), "SSTab1");
    SSTab1->tabBar()->setFont(smallFont());
    SSTab1->setUsesScrollButtons(false);
    SSTab1->setElideMode(Qt::ElideNone);
    placeTwips(SSTab1, 3255, 735, 4650, 3495);

    const char* captions[] = {"説明", "ｻﾑﾈｲﾙ", "ｵﾌﾟｼｮﾝ", "ﾀﾞｲﾚｸﾄ", "手書きﾒﾓ"};
    QWidget* pages[5];
    for (int i = 0; i < 5; ++i) {
        pages[i] = new QWidget;
        pages[i]->setObjectName(QStringLiteral("SSTab1Page%1").arg(i));
        paintLightGreen(pages[i]);
        SSTab1->addTab(pages[i], QString::fromUtf8(captions[i]));
    }

    // Page 0: description.
    Text3 = named(new QPlainTextEdit(pages[0]), "Text3");
    Text3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SSTab1->place(Text3, 45, 645, 4410, 2805);

    // Page 1: thumbnail and image-list navigation.
    QWidget* thumbs = pages[1];
    Label14 = makeLabel(thumbs, "Label14", QString());
    Label14->setAlignment(Qt::AlignCenter);
    SSTab1->place(Label14, 60, 585, 495, 180);
    Command13 = makeButton(thumbs, "Command13", QStringLiteral("TOP"));
    SSTab1->place(Command13, 555, 540, 540, 285);
    Command14 = makeButton(thumbs, "Command14", QStringLiteral("←"));
    SSTab1->place(Command14, 1095, 540, 540, 285);
    Command15 = makeButton(thumbs, "Command15", QStringLiteral("→"));
    SSTab1->place(Command15, 1635, 540, 540, 285);
    Command16 = makeButton(thumbs, "Command16", QStringLiteral("LAST"));
    SSTab1->place(Command16, 2175, 540, 600, 285);
    Command21 = makeButton(thumbs, "Command21", QStringLiteral("GO"));
    SSTab1->place(Command21, 2775, 540, 540, 285);
    Label113 = makeLabel(thumbs, "Label113", QStringLiteral("総数"));
    SSTab1->place(Label113, 3345, 600, 375, 180);
    Text7 = named(new QLineEdit(thumbs), "Text7");
    Text7->setReadOnly(true);
    Text7->setAlignment(Qt::AlignCenter);
    {
        QPalette palette = Text7->palette();
        palette.setColor(QPalette::Base, QApplication::palette("QMenu").color(QPalette::Window));
        Text7->setPalette(palette);
    }
    SSTab1->place(Text7, 3720, 570, 690, 270);
    Image1 = makeLabel(thumbs, "Image1", QString());
    Image1->setScaledContents(true);
    SSTab1->place(Image1, 60, 885, 4365, 2550);
    Picture2 = makeLabel(thumbs, "Picture2", QString());
    Picture2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture2->hide();
    SSTab1->place(Picture2, 150, 1065, 1065, 555);
    WebBrowser1 = named(new PictureBrowser(thumbs), "WebBrowser1");
    WebBrowser1->hide();
    SSTab1->place(WebBrowser1, 105, 2355, 1380, 915);

    // Page 2: options.
    Check1 = named(new QCheckBox(QStringLiteral("サムネイルを表示する"), pages[2]), "Check1");
    Check1->setChecked(true);
    SSTab1->place(Check1, 195, 645, 2250, 240);
    Check2 = named(new QCheckBox(QStringLiteral("Memoryゲージを表示する"), pages[2]), "Check2");
    Check2->setChecked(true);
    SSTab1->place(Check2, 195, 945, 2310, 255);

    // Page 3: the image list of the thumbnail's folder.
    List2 = named(new ListBox(pages[3]), "List2");
    SSTab1->place(List2, 45, 690, 4410, 2760);

    // Page 4: handwritten memo.
    Command38 = makeButton(pages[4], "Command38", QStringLiteral("Paint起動"));
    SSTab1->place(Command38, 810, 555, 1395, 315);
    Command39 = makeButton(pages[4], "Command39", QStringLiteral("保存"));
    SSTab1->place(Command39, 2205, 570, 1455, 300);
    OLE2 = makeLabel(pages[4], "OLE2", QString());
    OLE2->setFrameShape(QFrame::Box);
    OLE2->setScaledContents(true);
    OLE2->setAutoFillBackground(true);
    {
        QPalette palette = OLE2->palette();
        palette.setColor(QPalette::Window, Qt::white);
        OLE2->setPalette(palette);
    }
    SSTab1->place(OLE2, 90, 930, 4320, 2505);

    SSTab1->setCurrentIndex(1);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // The window has no close box, but a window manager may still ask it to
    // close (Alt+F4): that is taken as "終了", question included.
    if (m_ending) {
        event->accept();
        return;
    }
    event->ignore();
    emit closeRequested();
}

void Form1::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    const QList<QAction*> groups[] = {
        {SearchAllAction, BrokenLinksAction}, {RestoreAction}, {ExportAction, ImportAction}};
    for (const QList<QAction*>& group : groups) {
        if (!menu.isEmpty())
            menu.addSeparator();
        for (QAction* action : group) {
            if (action)
                menu.addAction(action);
        }
    }
    menu.exec(event->globalPos());
}
