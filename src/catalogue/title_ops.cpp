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
    QList<qint64> keys;
    keys.reserve(rows.size());
    for (const NamedRow& row : rows)
        keys.append(row.row);
    form.List1->setItems(std::move(names), keys);
    form.Label15->setText(QString::number(rows.size()));
}

// The selected title as stored: by the row its entry in List1 was listed
// with, by the shown name when the entry carries none. A row that now holds
// another title (the listed one was deleted) counts as gone.
std::optional<StoredTitle> readSelectedTitle(Form1& form, SqliteDatabase& db)
{
    const int selected = form.List1->selectedRow();
    const std::optional<qint64> row = form.List1->key(selected);
    if (!row)
        return store::readStoredTitle(db, form.List1->selectedText());
    std::optional<StoredTitle> stored = store::readTitleByRow(db, *row);
    if (!stored || stored->record.name != form.List1->text(selected))
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
        names = category
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
    return form.List1->findKey(row);
}

bool LoadTitleRecord(Form1& form)
{
    // The editor is only touched once the whole row is read: a failed read
    // leaves it as it was, link-target list included, so that a following
    // update cannot store a half-emptied title.
    Form1::ReadTitle& kept = form.readTitle;
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
        Form1::ReadTitle& kept = form.readTitle;
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
        Form1::ReadTitle& kept = form.readTitle;
        if (kept.title) {
            const WriteOutcome outcome = store::deleteTitleIfUnchanged(db, *kept.title);
            if (outcome == WriteOutcome::ChangedSinceRead) {
                form.Text8->setText(kDeleteRefused);
                return;
            }
            kept.title.reset();
            form.Text8->setText(outcome == WriteOutcome::Done ? kDeleted : kRecordNotFound);
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
