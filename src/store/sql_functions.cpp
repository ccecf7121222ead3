#include "store/sql_functions.h"

#include <memory>
#include <string>

#include <sqlite3.h>

#include <QByteArray>
#include <QString>

#include "store/jet_pattern.h"
#include "store/name_order.h"
#include "store/sqlite_database.h"
#include "store/text_fold.h"

namespace
{

QString textOf(sqlite3_value* value)
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return QString::fromUtf8(data, sqlite3_value_bytes(value));
}

// The whole stored value, a NUL inside it included: the engine's length
// counts, never a terminator.
std::u32string foldedFromUtf8(sqlite3_value* value)
{
    return foldForComparisonUcs4(textOf(value));
}

void jetLikeFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    if (sqlite3_value_type(args[0]) == SQLITE_NULL || sqlite3_value_type(args[1]) == SQLITE_NULL) {
        sqlite3_result_int(context, 0);
        return;
    }
    // The pattern is the same for every row of a query: compile it once and
    // let the engine keep it beside the statement.
    if (const auto* cached = static_cast<const JetPattern*>(sqlite3_get_auxdata(context, 0))) {
        sqlite3_result_int(context, cached->matchesFolded(foldedFromUtf8(args[1])) ? 1 : 0);
        return;
    }
    auto compiled = JetPattern::compile(textOf(args[0]));
    if (!compiled) {
        sqlite3_result_error(context, "malformed pattern", -1);
        return;
    }
    auto matcher = std::make_unique<JetPattern>(std::move(*compiled));
    sqlite3_result_int(context, matcher->matchesFolded(foldedFromUtf8(args[1])) ? 1 : 0);
    sqlite3_set_auxdata(context, 0, matcher.release(),
                        [](void* p) { delete static_cast<JetPattern*>(p); });
}

void foldFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    const QByteArray folded =
        foldForComparison(QString::fromUtf8(text, sqlite3_value_bytes(args[0]))).toUtf8();
    sqlite3_result_text(context, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
}

void sortKeyFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    const QByteArray key = japaneseSortKey(QString::fromUtf8(text, sqlite3_value_bytes(args[0])));
    sqlite3_result_blob(context, key.constData(), int(key.size()), SQLITE_TRANSIENT);
}

void registerFunction(SqliteDatabase& db, const char* name, int arguments,
                      void (*function)(sqlite3_context*, int, sqlite3_value**))
{
    if (sqlite3_create_function(db.handle(), name, arguments,
                                SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                function, nullptr, nullptr) != SQLITE_OK)
        throw DbError(std::string("register ") + name);
}

} // namespace

void registerRuleFunctions(SqliteDatabase& db)
{
    registerFunction(db, "ruled_fold", 1, &foldFunction);
    registerFunction(db, "ruled_sortkey", 1, &sortKeyFunction);
    registerFunction(db, "jetlike", 2, &jetLikeFunction);
}
