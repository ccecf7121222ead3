#include "support/form_fixture.h"

#include "app/wiring.h"
#include "store/catalogue_db.h"
#include "store/sqlite_database.h"
#include "ui/list_box.h"

void FormFixture::SetUp()
{
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(createCatalogueIfMissing(dbPath()));
}

Form1& FormFixture::makeForm(bool loaded)
{
    modelTesters.clear();
    form = std::make_unique<Form1>(fakes.services(), folder.path());
    connectHandlers(*form);
    for (ListBox* list : {form->List1, form->List2})
        modelTesters.push_back(std::make_unique<QAbstractItemModelTester>(
            list->model(), QAbstractItemModelTester::FailureReportingMode::Fatal));
    if (loaded)
        form->Form_Load();
    return *form;
}

QString FormFixture::dbPath() const
{
    return catalogueFilePath(folder.path());
}

void FormFixture::sql(const QString& statement, const QStringList& values)
{
    SqliteDatabase db(dbPath());
    auto query = db.prepare(statement);
    for (int i = 0; i < values.size(); ++i)
        query.bind(i + 1, values[i]);
    while (query.step()) {
    }
}

void FormFixture::insertNumbered(const QString& statement, int count)
{
    SqliteDatabase db(dbPath());
    db.transaction([&] {
        auto insert = db.prepare(statement);
        for (int i = 0; i < count; ++i) {
            insert.bind(1, QString::number(i));
            insert.step();
            insert.reset();
        }
    });
}

QStringList FormFixture::rows(const QString& query, const QStringList& values)
{
    SqliteDatabase db(dbPath());
    auto statement = db.prepare(query);
    for (int i = 0; i < values.size(); ++i)
        statement.bind(i + 1, values[i]);
    QStringList result;
    while (statement.step()) {
        QStringList columns;
        for (int c = 0; c < statement.columnCount(); ++c)
            columns << statement.text(c);
        result << columns.join(QLatin1Char('|'));
    }
    return result;
}
