#include "catalogue/title_ops.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPlainTextEdit>

#include "catalogue/backup_ops.h"
#include "catalogue/category_ops.h"
#include "store/catalogue_db.h"
#include "store/field_text.h"
#include "store/link_targets.h"
#include "store/title_queries.h"
#include "ui/combo_box.h"
#include "ui/list_box.h"
#include "ui/main/form1.h"
#include "ui/messages.h"

namespace
{

// One sentence, short enough for the status line at its narrower width.
const QString kUpdateRefused =
    QStringLiteral("他で変更されたため、更新しませんでした（選び直してください）。");
const QString kDeleteRefused =
    QStringLiteral("他で変更されたため、削除しませんでした（選び直してください）。");

// The title the editor read, as stored, so that 更新 and 削除 write only what
// nobody has changed since. It is kept only while the name field still shows
// the name that was read: typing in it, clearing the editor or reading another
// title forgets it, and the name in the field is then used as it always was.
class ReadTitle : public QObject
{
public:
    explicit ReadTitle(Form1& form) : QObject(&form)
    {
        connect(form.Text2, &QLineEdit::textChanged, this, [this] { title.reset(); });
    }
    std::optional<StoredTitle> title;
    // The description as the editor showed it once read or written: while
    // the editor still shows exactly this, the stored bytes are kept, since
    // the editor cannot show every stored character as it is (a no-break
    // space, a lone CR, the spaces the left trim takes off).
    QString shownDescription;
};

// The rows of the titles List1 shows, in its order. A click reads the row
// itself rather than looking the shown name up again, so a title whose stored
// name is not UTF-8 (another program wrote it) opens like any other.
class ListedTitles : public QObject
{
public:
    explicit ListedTitles(Form1& form) : QObject(&form) {}
    QList<NamedRow> rows;
};

// The window-side state kept beside Form1, made on first use.
template <typename Kept> Kept& keptBy(Form1& form)
{
    for (QObject* child : form.children()) {
        if (auto* kept = dynamic_cast<Kept*>(child))
            return *kept;
    }
    return *new Kept(form);
}

ReadTitle& readTitleOf(Form1& form)
{
    return keptBy<ReadTitle>(form);
}

// The description is stored with CR LF line breaks; the editor works with LF.
QString storedDescription(const Form1& form)
{
    QString text = form.Text3->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void showDescription(Form1& form, QString stored)
{
    stored.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    form.Text3->setPlainText(stored);
}

void showNames(Form1& form, QList<NamedRow> rows)
{
    QStringList names;
    names.reserve(rows.size());
    for (const NamedRow& row : rows)
        names.append(row.name);
    form.List1->setItems(std::move(names));
    form.Label15->setText(QString::number(rows.size()));
    keptBy<ListedTitles>(form).rows = std::move(rows);
}

// The selected title as stored: by its row while List1 still shows the list
// those rows came from, by the shown name otherwise. A row that now holds
// another title (the listed one was deleted) counts as gone.
std::optional<StoredTitle> readSelectedTitle(Form1& form, SqliteDatabase& db)
{
    const int selected = form.List1->selectedRow();
    const QList<NamedRow>& listed = keptBy<ListedTitles>(form).rows;
    if (selected < 0 || selected >= listed.size() ||
        listed[selected].name != form.List1->text(selected) || listed.size() != form.List1->count())
        return store::readStoredTitle(db, form.List1->selectedText());
    std::optional<StoredTitle> stored = store::readTitleByRow(db, listed[selected].row);
    if (!stored || stored->record.name != listed[selected].name)
        return std::nullopt;
    return stored;
}

const QString kBlank = QStringLiteral(" ");

QString orBlank(const QString& text)
{
    return text.isEmpty() ? kBlank : text;
}

// No optional field is stored empty: an empty one becomes " ", in the editor
// itself, so the editor shows what was stored.
void fillBlanks(Form1& form)
{
    if (form.Text3->toPlainText().isEmpty())
        form.Text3->setPlainText(kBlank);
    if (form.Text5->text().isEmpty())
        form.Text5->setText(kBlank);
    if (form.Combo3->currentText().isEmpty())
        form.setLinkTargetText(kBlank);
    if (form.Text6->text().isEmpty())
        form.Text6->setText(kBlank);
    if (form.Text9->text().isEmpty())
        form.Text9->setText(kBlank);
}

TitleRecord editorRecord(Form1& form)
{
    return TitleRecord{form.Text2->text(),        storedDescription(form),
                       form.Text5->text(),        Module1::JoinLinkTargets(form),
                       form.Text6->text(),        form.Text9->text(),
                       form.Combo1->currentText()};
}

// The editor's title as it is stored, with the blanks filled in, leaving the
// editor itself as the user typed it.
TitleRecord blankFilledRecord(Form1& form)
{
    TitleRecord title = editorRecord(form);
    title.description = orBlank(title.description);
    title.thumbnailPath = orBlank(title.thumbnailPath);
    title.linkTargets =
        joinLinkTargets(orBlank(form.Combo3->currentText()), comboItems(form.Combo3));
    title.workingFolder = orBlank(title.workingFolder);
    title.launchOptions = orBlank(title.launchOptions);
    return title;
}

} // namespace

namespace Module1
{

void LoadTitleList(Form1& form)
{
    QList<NamedRow> names;
    try {
        CatalogueDb db(form.databasePath());
        const std::optional<qint64> category = ListedCategoryRow(form, db);
        names = category ? store::listTitleRowsOfCategoryRow(db, *category)
                         : store::listTitleRows(db, form.Combo1->currentText());
    } catch (const DbError&) {
        form.Text8->setText(QStringLiteral("「タイトル検索」でエラーが発生しています。"));
        return;
    }
    if (names.isEmpty()) {
        form.List1->clear();
        form.Text8->setText(QStringLiteral("カテゴリ＝") + form.Combo1->currentText() +
                            QStringLiteral("には、まだ、タイトル・データがありません。"));
        form.Label15->setText(QStringLiteral("0"));
        return;
    }
    showNames(form, std::move(names));
}

void SearchTitles(Form1& form)
{
    QList<NamedRow> names;
    try {
        CatalogueDb db(form.databasePath());
        const std::optional<qint64> category = ListedCategoryRow(form, db);
        names =
            category
                ? store::searchTitleRowsOfCategoryRow(db, *category, form.Text1->text())
                : store::searchTitleRows(db, form.Combo1->currentText(), form.Text1->text());
    } catch (const DbError&) {
        form.Text8->setText(QStringLiteral("「タイトル絞込み検索」でエラーが発生しています。"));
        return;
    }
    if (names.isEmpty()) {
        form.Text8->setText(QStringLiteral("検索結果が０件です。"));
        form.Label15->setText(QStringLiteral("0"));
        return;
    }
    showNames(form, std::move(names));
}

int ListedTitleIndex(Form1& form, qint64 row)
{
    const QList<NamedRow>& listed = keptBy<ListedTitles>(form).rows;
    if (listed.size() != form.List1->count())
        return -1;
    for (int i = 0; i < listed.size(); ++i) {
        if (listed[i].row == row && listed[i].name == form.List1->text(i))
            return i;
    }
    return -1;
}

bool LoadTitleRecord(Form1& form)
{
    // The editor is only touched once the whole row is read: a failed read
    // leaves it as it was, link-target list included, so that a following
    // update cannot store a half-emptied title.
    ReadTitle& kept = readTitleOf(form);
    kept.title.reset();
    std::optional<StoredTitle> stored;
    try {
        CatalogueDb db(form.databasePath());
        stored = readSelectedTitle(form, db);
    } catch (const DbError&) {
        form.Text8->setText(QStringLiteral("「タイトルデータの取得」でエラーが発生しています。"));
        return false;
    }
    if (!stored) {
        form.Text8->setText(kNoTitles);
        return false;
    }
    const TitleRecord* title = &stored->record;
    // The name is the key that update and delete look the title up by, so it
    // goes in as stored, leading spaces included.
    form.Text2->setText(title->name);
    showDescription(form, leftTrimSpaces(title->description));
    // The thumbnail path goes in before the link targets, whose change
    // redraws the thumbnail from it.
    form.Text5->setText(leftTrimSpaces(title->thumbnailPath));
    SplitLinkTargets(form, leftTrimSpaces(title->linkTargets));
    form.Text6->setText(leftTrimSpaces(title->workingFolder));
    form.Text9->setText(leftTrimSpaces(title->launchOptions));
    // Kept from here on, once the name field shows the name read.
    kept.title = std::move(stored);
    kept.shownDescription = form.Text3->toPlainText();
    return true;
}

void SplitLinkTargets(Form1& form, const QString& stored)
{
    const LinkTargets targets = splitLinkTargets(stored);
    if (setComboContents(form.Combo3, targets.text, targets.list))
        form.Combo3_Change();
}

bool RegisterTitle(Form1& form)
{
    BackupDailyIfDue(form);
    // The blanks reach the editor only once the title is stored: a refused
    // registration leaves every field exactly as typed.
    try {
        CatalogueDb db(form.databasePath());
        store::insertTitle(db, blankFilledRecord(form));
    } catch (const DbError&) {
        form.Text8->setText(QStringLiteral("「タイトル登録」で重複キー等のエラーが発生しました。"));
        return false;
    }
    fillBlanks(form);
    form.Text8->setText(QStringLiteral("正常に登録しました。"));
    return true;
}

void UpdateTitle(Form1& form)
{
    BackupDailyIfDue(form);
    try {
        CatalogueDb db(form.databasePath());
        ReadTitle& kept = readTitleOf(form);
        if (kept.title) {
            if (!store::readTitleByRow(db, kept.title->row)) {
                kept.title.reset();
                form.Text8->setText(kRecordNotFound);
                return;
            }
            const bool descriptionUntouched = form.Text3->toPlainText() == kept.shownDescription;
            fillBlanks(form);
            TitleRecord title = editorRecord(form);
            if (descriptionUntouched)
                title.description = kept.title->record.description;
            StoredTitle written;
            switch (store::updateTitleIfUnchanged(db, *kept.title, title, &written)) {
            case WriteOutcome::Done:
                // What the editor wrote is now what it has read.
                kept.title = std::move(written);
                kept.shownDescription = form.Text3->toPlainText();
                form.Text8->setText(QStringLiteral("正常に更新しました。"));
                break;
            case WriteOutcome::Missing:
                kept.title.reset();
                form.Text8->setText(kRecordNotFound);
                break;
            case WriteOutcome::ChangedSinceRead:
                form.Text8->setText(kUpdateRefused);
                break;
            }
            return;
        }
        if (!store::titleExists(db, form.Text2->text())) {
            form.Text8->setText(kRecordNotFound);
            return;
        }
        fillBlanks(form);
        if (store::updateTitle(db, editorRecord(form)))
            form.Text8->setText(QStringLiteral("正常に更新しました。"));
        else
            form.Text8->setText(kRecordNotFound);
    } catch (const DbError&) {
        form.Text8->setText(QStringLiteral("「タイトル更新」でエラーが発生しました。"));
    }
}

void DeleteTitle(Form1& form)
{
    BackupDailyIfDue(form);
    try {
        CatalogueDb db(form.databasePath());
        ReadTitle& kept = readTitleOf(form);
        if (kept.title) {
            const WriteOutcome outcome = store::deleteTitleIfUnchanged(db, *kept.title);
            if (outcome == WriteOutcome::ChangedSinceRead) {
                form.Text8->setText(kDeleteRefused);
                return;
            }
            kept.title.reset();
            form.Text8->setText(
                outcome == WriteOutcome::Done ? kDeleted : kRecordNotFound);
            return;
        }
        if (store::deleteTitle(db, form.Text2->text()))
            form.Text8->setText(kDeleted);
        else
            form.Text8->setText(kRecordNotFound);
    } catch (const DbError&) {
        form.Text8->setText(QStringLiteral("「タイトル削除」でエラーが発生しました。"));
    }
}

QString JoinLinkTargets(Form1& form)
{
    return joinLinkTargets(form.Combo3->currentText(), comboItems(form.Combo3));
}

} // namespace Module1
