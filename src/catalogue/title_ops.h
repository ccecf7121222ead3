#pragma once

#include <QString>

class Form1;

// Title procedures of the main window: they read the category from Combo1,
// the title from the editor fields, and report on the status line Text8.
namespace Module1
{

// Lists the titles of Combo1's category into List1 in name order, with their
// number in Label15.
void LoadTitleList(Form1& form);
// Narrows List1 to the category's titles whose names contain Text1's text;
// without a hit List1 keeps what it showed.
void SearchTitles(Form1& form);
// The position in List1 of the title in that row of the catalogue, while
// List1 still shows the list LoadTitleList or SearchTitles filled it with; -1
// when it does not list that title.
int ListedTitleIndex(Form1& form, qint64 row);
// Reads the title selected in List1 into the six editor fields. False when it
// could not be read or is gone: the editor is then untouched and Text8 says
// why.
bool LoadTitleRecord(Form1& form);
// Puts a stored link-target value into Combo3: the first line as its text,
// the others as its list.
void SplitLinkTargets(Form1& form, const QString& stored);

// Registers the editor's title under Combo1's category, empty optional fields
// stored as " ". True when stored: those fields then show " " in the editor.
// A refused title (a name that exists, an engine error) leaves the editor as
// it was.
bool RegisterTitle(Form1& form);
// Rewrites the title named in Text2 from the editor and Combo1's category.
void UpdateTitle(Form1& form);
// Deletes the title named in Text2.
void DeleteTitle(Form1& form);
// Combo3's text and list in their stored form.
QString JoinLinkTargets(Form1& form);

} // namespace Module1
