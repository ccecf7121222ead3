#include "catalogue/category_ops.h"

#include <QComboBox>
#include <QLineEdit>

#include "store/catalogue_db.h"
#include "store/category_queries.h"
#include "ui/main/form1.h"

namespace {

const QString kNotFound = QStringLiteral("レコードが見つかりません。");

} // namespace

namespace Module1 {

void LoadCategoryList(Form1& form)
{
    QStringList names;
    try {
        CatalogueDb db(form.databasePath());
        names = catalogue::listCategories(db);
    } catch (const std::exception&) {
        form.Text8->setText(QStringLiteral("「カテゴリ全検索」でエラーが発生しています。"));
        return;
    }
    if (names.isEmpty()) {
        form.Text8->setText(QStringLiteral("カテゴリデータがありません。"));
        return;
    }
    form.Combo1->clear();
    form.Combo1->addItems(names);
    form.Combo1->setEditText(names.first());
}

void RegisterCategory(Form1& form)
{
    try {
        CatalogueDb db(form.databasePath());
        catalogue::insertCategory(db, form.Combo1->currentText());
        form.Text8->setText(QStringLiteral("正常に登録しました。"));
    } catch (const std::exception&) {
        form.Text8->setText(QStringLiteral("「カテゴリ登録」で重複キー等のエラーが発生しました。"));
    }
}

void DeleteCategory(Form1& form)
{
    try {
        CatalogueDb db(form.databasePath());
        if (catalogue::deleteCategory(db, form.Combo1->currentText()))
            form.Text8->setText(QStringLiteral("正常に削除しました。"));
        else
            form.Text8->setText(kNotFound);
    } catch (const std::exception&) {
        form.Text8->setText(QStringLiteral("「カテゴリ削除」でエラーが発生しました。"));
    }
}

void DeleteTitlesOfCategory(Form1& form)
{
    try {
        CatalogueDb db(form.databasePath());
        if (catalogue::deleteTitlesOfCategory(db, form.Combo1->currentText()) == 0)
            form.Text8->setText(kNotFound);
    } catch (const std::exception&) {
        form.Text8->setText(QStringLiteral("「カテゴリ→タイトル削除」でエラーが発生しました。"));
    }
}

} // namespace Module1
