#include "maint/form2.h"

#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

#include "catalogue/backup_ops.h"
#include "help/help_page.h"
#include "platform/dialogs.h"
#include "store/catalogue_db.h"
#include "store/drive_conversion.h"
#include "store/schema.h"
#include "ui/look.h"
#include "ui/main/form1.h"
#include "ui/messages.h"
#include "ui/twips.h"

const QString Form2::kHomePage = QStringLiteral("https://quilmo.example.org/");

namespace
{

const QColor kLightOrange(255, 224, 192);
const QColor kLightYellow(255, 255, 192);

// The rows sit below the explanation; the banner and the close button keep
// their places relative to each other, moved down by the rows' height.
constexpr int kRowsTop = 4755;
constexpr int kRowPitch = 330;
constexpr int kShiftBelowRows = 1275;

QPlainTextEdit* makeReadOnlyText(QWidget* parent, const char* name, const QString& text)
{
    auto* edit = new QPlainTextEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    // Both scroll bars, and lines kept as written rather than re-wrapped.
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, kLightYellow);
    palette.setColor(QPalette::Text, Qt::black);
    edit->setPalette(palette);
    edit->setPlainText(text);
    return edit;
}

QString informationText()
{
    return QStringLiteral("ＱＵＩＬＭＯ　Ver.2.01a\n"
                          "\n"
                          "文書・プログラム・Ｗｅｂアドレスをデータベースに\n"
                          "登録し、サムネイルを見ながらワンクリックで起動する\n"
                          "ビジュアル・ランチャーです。\n"
                          "\n"
                          "【使用上の注意】\n"
                          "・タイトル名は全体で一意です。同じ名前のタイトルは\n"
                          "　カテゴリが違っても二つ登録できません。\n"
                          "・タイトルはカテゴリごとに一覧表示され、検索文字列\n"
                          "　で絞り込むことができます。\n"
                          "・壊れた画像ファイルがあるとサムネイル表示が乱れる\n"
                          "　ことがあります。その場合は「ｵﾌﾟｼｮﾝ」タブの\n"
                          "　「サムネイルを表示する」をオフにしてください。\n"
                          "\n"
                          "【動作環境】\n"
                          "Qt 6 が動作する Linux デスクトップ（Debian 12 など）\n"
                          "\n"
                          "【連絡先】\n"
                          "ホームページ：https://quilmo.example.org/\n"
                          "ご意見・不具合のご報告はホームページからどうぞ。\n"
                          "下のバナーをクリックするとホームページを開きます。");
}

QString explanationText()
{
    return QStringLiteral("QUILMOに登録した情報で、「サムネイル」、「起動リンク先」、\n"
                          "「起動オプション」、「作業フォルダ」の４つの情報は、先頭文字\n"
                          "がドライブとなる場合が多いでしょう。ＰＣ環境が変わった場合等\n"
                          "では、ドライブ名も変更しなければ、正しく参照できません。\n"
                          "そういう場合は、ＭＤＢの内容をＡｃｃｅｓｓから直に修正する方\n"
                          "法もありますが、この「コンバージョン機能」で簡単に変換できます。");
}

QString slipMessage(store::conversion::PrefixSlip slip)
{
    using store::conversion::PrefixSlip;
    switch (slip) {
    case PrefixSlip::None:
        break;
    case PrefixSlip::LetterToOther:
        return QStringLiteral("旧ドライブがドライブ文字１文字のときは、新ドライブも"
                              "１文字で入力してください（例：C → D）。\n"
                              "変換は行っていません。");
    case PrefixSlip::DriveToRelative:
        return QStringLiteral("旧ドライブが「C:」や「C:\\」のときは、新ドライブには"
                              "「D:」「D:\\」のようなドライブか、「/」または「\\」で"
                              "始まるフォルダを入力してください（例：C: → /mnt/c）。\n"
                              "変換は行っていません。");
    case PrefixSlip::SeparatorMismatch:
        return QStringLiteral("旧ドライブと新ドライブのどちらか一方だけが区切り文字"
                              "（\\ または /）で終わっています。両方そろえてください"
                              "（例：C:\\ → /mnt/c/）。\n"
                              "変換は行っていません。");
    }
    return {};
}

} // namespace

Form2::Form2(Form1& form)
    : QWidget(&form, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      m_form(form)
{
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("環境設定"));
    setFixedSize(twipsToPixels(kWidthTwips), twipsToPixels(kHeightTwips));
    useDesignFont(this);
    paintDesignBackground(this, kLightOrange);

    Text1 = makeReadOnlyText(this, "Text1", informationText());
    Text1->setFont(designFont(QStringLiteral("ＭＳ ゴシック"), 9));
    placeTwips(Text1, 60, 615, 6075, 2460);

    Label5 = new QLabel(QStringLiteral("ドライブ・コンバージョン"), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setFont(designFont(QStringLiteral("ＭＳ Ｐゴシック"), 9.75, true));
    {
        QPalette palette = Label5->palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
        Label5->setPalette(palette);
    }
    placeTwips(Label5, 1815, 3150, 2280, 225);

    Text4 = makeReadOnlyText(this, "Text4", explanationText());
    // The six lines fill the box only when no scroll bar takes its share, so
    // the bars come only when a larger font needs them.
    Text4->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Text4->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Text4->document()->setDocumentMargin(2);
    placeTwips(Text4, 90, 3375, 6000, 1305);

    struct Row {
        QLabel** label;
        const char* labelName;
        const char* caption;
        QLineEdit** oldField;
        const char* oldName;
        QPushButton** button;
        const char* buttonName;
        QLineEdit** newField;
        const char* newName;
    };
    const Row rows[] = {
        {&Label1, "Label1", "サムネイル", &Text3, "Text3", &Command3, "Command3", &Text5, "Text5"},
        {&Label2, "Label2", "起動リンク先", &Text6, "Text6", &Command4, "Command4", &Text7,
         "Text7"},
        {&Label3, "Label3", "起動オプション", &Text8, "Text8", &Command5, "Command5", &Text9,
         "Text9"},
        {&Label4, "Label4", "作業フォルダ", &Text10, "Text10", &Command6, "Command6", &Text11,
         "Text11"},
    };
    int top = kRowsTop;
    for (const Row& row : rows) {
        *row.label = new QLabel(QString::fromUtf8(row.caption), this);
        (*row.label)->setObjectName(QString::fromLatin1(row.labelName));
        placeTwips(*row.label, 90, top + 45, 1260, 240);
        *row.oldField = new QLineEdit(this);
        (*row.oldField)->setObjectName(QString::fromLatin1(row.oldName));
        placeTwips(*row.oldField, 1380, top, 1860, 300);
        *row.button = new QPushButton(QStringLiteral("→変換→"), this);
        (*row.button)->setObjectName(QString::fromLatin1(row.buttonName));
        (*row.button)->setAutoDefault(false);
        placeTwips(*row.button, 3270, top, 930, 300);
        *row.newField = new QLineEdit(this);
        (*row.newField)->setObjectName(QString::fromLatin1(row.newName));
        placeTwips(*row.newField, 4230, top, 1860, 300);
        top += kRowPitch;
    }

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setToolTip(kHomePage);
    const QPixmap banner(QDir(form.sharedFolder()).filePath(QStringLiteral("banner.png")));
    if (banner.isNull())
        Image1->setText(QStringLiteral("QUILMO ホームページ"));
    else
        Image1->setPixmap(banner);
    setPointerCustom(Image1);
    Image1->installEventFilter(this);
    placeTwips(Image1, 3135, 4890 + kShiftBelowRows, 3000, 600);

    Command2 = new QPushButton(QStringLiteral("閉じる"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setAutoDefault(false);
    placeTwips(Command2, 4305, 5565 + kShiftBelowRows, 765, 345);

    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form2::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form2::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form2::Command6_Click);
}

bool Form2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        Image1->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        Image1_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Form2::Command2_Click()
{
    close();
}

void Form2::Command3_Click()
{
    convertRow(Text3, Text5, store::schema::kThumbnailPath);
}

void Form2::Command4_Click()
{
    convertRow(Text6, Text7, store::schema::kLinkTargets);
}

void Form2::Command5_Click()
{
    convertRow(Text8, Text9, store::schema::kLaunchOptions);
}

void Form2::Command6_Click()
{
    convertRow(Text10, Text11, store::schema::kWorkingFolder);
}

void Form2::Image1_Click()
{
    showInBrowserWindow(
        *m_form.services().browser, ie,
        [this](BrowserWindow& window) {
            connect(&window, &BrowserWindow::OnQuit, this, &Form2::ie_OnQuit);
        },
        kHomePage);
}

void Form2::ie_OnQuit()
{
    dropBrowserWindow(ie);
}

void Form2::convertRow(QLineEdit* oldField, QLineEdit* newField, const QString& column)
{
    Dialogs& dialogs = *m_form.services().dialogs;
    // The fields are used as typed: " " is a prefix too (the stored blank).
    // Only a drive typed full-width is read half-width, before any check, so
    // that "Ｃ" finds the "C:\" paths and "Ｄ" never reaches the catalogue.
    const QString oldPrefix = store::conversion::readDriveField(oldField->text());
    const QString newPrefix = store::conversion::readDriveField(newField->text());
    if (oldPrefix.isEmpty()) {
        dialogs.inform(this, QStringLiteral("旧ドライブ（左欄）を入力してください。"));
        return;
    }
    if (newPrefix.isEmpty()) {
        dialogs.inform(this, QStringLiteral("新ドライブ（右欄）を入力してください。"));
        return;
    }

    // A slip here rewrites every matched path at once and cannot be undone,
    // so it is refused before the catalogue is opened.
    if (const QString slip = slipMessage(store::conversion::checkPrefixes(oldPrefix, newPrefix));
        !slip.isEmpty()) {
        dialogs.inform(this, slip);
        return;
    }

    Module1::BackupBeforeOperation(m_form, QStringLiteral("ドライブ変換"));
    store::conversion::ColumnConversion result;
    try {
        CatalogueDb db(m_form.databasePath());
        result = store::conversion::convertStoredColumn(db, column, oldPrefix, newPrefix);
    } catch (const DbError&) {
        // The conversion ran in one transaction, so nothing has changed.
        dialogs.inform(this,
                       QStringLiteral("「ドライブ・コンバージョン」でエラーが発生しました。"));
        return;
    }
    // Titles left behind are counted out loud: saying only "converted" would
    // leave the user believing every path now points at the new drive.
    if (result.left > 0) {
        dialogs.inform(this,
                       QStringLiteral("%1件のタイトルをコンバージョンしました。\n"
                                      "%2件のタイトルは、文字として読めないデータを含む"
                                      "などの理由で変換できなかったため、元のまま残しました。")
                           .arg(result.changed)
                           .arg(result.left));
        return;
    }
    dialogs.inform(this, result.matched > 0 ? QStringLiteral("正常にコンバージョンしました。")
                                            : kRecordNotFound);
}
