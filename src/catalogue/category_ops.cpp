#include "catalogue/category_ops.h"

#include <QComboBox>
#include <QLineEdit>

#include "catalogue/backup_ops.h"
#include "store/catalogue_db.h"
#include "store/category_queries.h"
#include "store/title_queries.h"
#include "ui/main/form1.h"
#include "ui/messages.h"

namespace
{

} // namespace

namespace Module1
{

void LoadCategoryList(Form1& form)
{
    QList<NamedRow> categories;
    try {
        CatalogueDb db(form.databasePath());
        categories = store::listCategoryRows(db);
    } catch (const DbError&) {
        form.Text8->setText(QStringLiteral("「カテゴリ全検索」でエラーが発生しています。"));
        return;
    }
    if (categories.isEmpty()) {
        form.Text8->setText(QStringLiteral("カテゴリデータがありません。"));
        return;
    }
    // Each entry keeps its row, so a category whose stored name is not UTF-8
    // (another program wrote it) is still selected and deleted as itself.
    form.Combo1->clear();
    for (const NamedRow& category : categories)
        form.Combo1->addItem(category.name, category.row);
    form.Combo1->setEditText(categories.first().name);
    // A line edit scrolls to the end of new text; a long category name is
    // read from its beginning, as the status line's messages are.
    form.Combo1->lineEdit()->setCursorPosition(0);
}

std::optional<qint64> ListedCategoryRow(Form1& form, SqliteDatabase& db)
{
    // The entry picked, when the text is still its own: two entries may read
    // the same where one name is not UTF-8. Otherwise the entry the text names.
    const QString text = form.Combo1->currentText();
    int index = form.Combo1->currentIndex();
    if (index < 0 || form.Combo1->itemText(index) != text)
        index = form.Combo1->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0 || !form.Combo1->itemData(index).isValid())
        return std::nullopt;
    const qint64 row = form.Combo1->itemData(index).toLongLong();
    // A row freed since the list was filled may hold another category now.
    for (const NamedRow& category : store::listCategoryRows(db)) {
        if (category.row == row)
            return category.name == text ? std::optional(row) : std::nullopt;
    }
    return std::nullopt;
}

void RegisterCategory(Form1& form)
{
    BackupDailyIfDue(form);
    try {
        CatalogueDb db(form.databasePath());
        store::insertCategory(db, form.Combo1->currentText());
        form.Text8->setText(QStringLiteral("正常に登録しました。"));
    } catch (const DbError&) {
        form.Text8->setText(QStringLiteral("「カテゴリ登録」で重複キー等のエラーが発生しました。"));
    }
}

void DeleteCategory(Form1& form)
{
    try {
        CatalogueDb db(form.databasePath());
        const std::optional<qint64> row = ListedCategoryRow(form, db);
        if (row ? store::deleteCategoryByRow(db, *row)
                : store::deleteCategory(db, form.Combo1->currentText()))
            form.Text8->setText(kDeleted);
        else
            form.Text8->setText(kRecordNotFound);
    } catch (const DbError&) {
        form.Text8->setText(QStringLiteral("「カテゴリ削除」でエラーが発生しました。"));
    }
}

void DeleteTitlesOfCategory(Form1& form)
{
    try {
        CatalogueDb db(form.databasePath());
        const std::optional<qint64> row = ListedCategoryRow(form, db);
        const int deleted = row ? store::deleteTitlesOfCategoryRow(db, *row)
                                : store::deleteTitlesOfCategory(db, form.Combo1->currentText());
        if (deleted == 0)
            form.Text8->setText(kRecordNotFound);
    } catch (const DbError&) {
        form.Text8->setText(QStringLiteral("「カテゴリ→タイトル削除」でエラーが発生しました。"));
    }
}

void DeleteCategoryWithTitles(Form1& form)
{
    store::DeletionStep step = store::DeletionStep::Titles;
    try {
        CatalogueDb db(form.databasePath());
        const std::optional<qint64> row = ListedCategoryRow(form, db);
        const store::CategoryDeletion deleted =
            store::deleteCategoryWithTitles(db, form.Combo1->currentText(), row, step);
        form.Text8->setText(deleted.category ? kDeleted : kRecordNotFound);
    } catch (const DbError&) {
        form.Text8->setText(
            step == store::DeletionStep::Titles
                ? QStringLiteral("「カテゴリ→タイトル削除」でエラーが発生しました。")
                : QStringLiteral("「カテゴリ削除」でエラーが発生しました。"));
    }
}

} // namespace Module1
