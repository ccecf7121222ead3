#pragma once

#include <QDialog>

class Form1;
class QPushButton;
class QTreeWidget;

// The list of backups, newest first, with the date and time, why each was
// taken and its counts. 復元 asks first, keeps the present state as a backup
// of its own, puts the chosen one in place and reloads the main window.
class RestoreWindow : public QDialog
{
    Q_OBJECT
public:
    explicit RestoreWindow(Form1& form);

    // Lists the backups again.
    void refresh();
    // Restores the backup selected in the list, after the question.
    void restoreSelected();

    QTreeWidget* List;
    QPushButton* RestoreButton;
    QPushButton* CloseButton;

private:
    Form1& m_form;
};
