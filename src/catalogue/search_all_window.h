#pragma once

#include <QDialog>
#include <QList>

#include "store/search_all.h"

class Form1;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class FoundTitleModel;

// 全カテゴリ検索: finds titles in every category by name and description, with
// the narrowing search's patterns and rule. Choosing a hit selects its
// category in the main window, lists that category's titles as 選択 does and
// loads the title as a click in List1 does. Not modal; one per main window.
class SearchAllWindow : public QDialog
{
    Q_OBJECT
public:
    explicit SearchAllWindow(Form1& form);

    // Searches for SearchText's text and lists the hits; Status tells how
    // many, that there are none, or that the search failed.
    void Search();
    // Shows the hit in that row of Results in the main window.
    void Choose(int row);
    // The hits listed, in Results' order.
    const QList<FoundTitle>& hits() const;

    QLineEdit* SearchText;
    QPushButton* SearchButton;
    QTreeView* Results;
    QLabel* Status;

private:
    Form1& m_form;
    FoundTitleModel* m_model;
};
