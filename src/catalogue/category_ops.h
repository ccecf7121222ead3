#pragma once

#include <optional>

#include <QtGlobal>

class Form1;
class SqliteDatabase;

// Category procedures: they take the category from Combo1's text and report
// their outcome on the status line Text8.
namespace Module1
{

// Fills Combo1's list with every category and its text with the first one;
// an empty table leaves the box as it was.
void LoadCategoryList(Form1& form);
// Registers Combo1's text as a new category.
void RegisterCategory(Form1& form);
// Deletes the category named by Combo1's text (its titles stay).
void DeleteCategory(Form1& form);
// Deletes every title of the category named by Combo1's text.
void DeleteTitlesOfCategory(Form1& form);
// Deletes the category named by Combo1's text together with its titles, both
// or neither: a failure of either delete leaves both in the file and names
// the failed delete on the status line.
void DeleteCategoryWithTitles(Form1& form);

// The row of the category Combo1's text names, when that text is one the list
// was filled with and the row still holds that category; nullopt otherwise,
// and the category is then found by its name.
std::optional<qint64> ListedCategoryRow(Form1& form, SqliteDatabase& db);

} // namespace Module1
