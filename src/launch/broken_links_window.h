#pragma once

#include <atomic>
#include <memory>

#include <QList>
#include <QWidget>

#include "launch/broken_links.h"

class Form1;
class QLabel;
class QProgressBar;
class QPushButton;
class QThread;
class QTreeWidget;

// The list of titles whose files are missing. The check runs on a thread of
// its own; from the list a title is opened in the main window, or its missing
// files are looked for below a folder and the ones the user accepts written.
class BrokenLinksWindow : public QWidget
{
    Q_OBJECT
public:
    explicit BrokenLinksWindow(Form1& form);
    ~BrokenLinksWindow() override;

    // Reads the catalogue and starts the check; a check under way is stopped.
    void startCheck();
    void cancelCheck();
    bool checking() const { return m_thread != nullptr; }
    // Loads the selected row's title into the main window.
    void openSelected();
    // Asks for a folder and proposes where each missing file went.
    void proposeFromFolder();
    // Writes the accepted proposals in one transaction, then checks again.
    void writeAccepted();

    QTreeWidget* list;
    QProgressBar* progress;
    QLabel* status;
    QPushButton* cancelButton;
    QPushButton* openButton;
    QPushButton* relinkButton;
    QPushButton* writeButton;

private:
    void showResults();
    void stopThread();

    Form1& m_form;
    QThread* m_thread = nullptr;
    std::shared_ptr<std::atomic_bool> m_cancel;
    std::shared_ptr<QList<BrokenTitle>> m_pending;
    QList<BrokenTitle> m_broken;
    QList<RelinkProposal> m_proposals;
    QString m_note;
};

// Creates the main window's broken-links action (Ctrl+Shift+L), which opens
// the one list window, and adds it to the form so its shortcut works.
void setUpBrokenLinksAction(Form1& form);
