#pragma once

#include <deque>
#include <memory>
#include <vector>

#include <QIcon>
#include <QMap>
#include <QMutex>
#include <QPointer>

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTime>

#include "platform/browser.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/memory.h"
#include "platform/paint.h"
#include "platform/picture.h"
#include "platform/process.h"
#include "platform/services.h"
#include "platform/shell.h"

// Message boxes answered from a script; every box shown is recorded.
class FakeDialogs final : public Dialogs
{
public:
    struct Shown {
        QString text;
        QString title;
        bool question;
    };

    // Queues the answers of the next questions, in order (true = Yes).
    void answer(std::initializer_list<bool> answers);
    bool askYesNo(QWidget* parent, const QString& text, const QString& title) override;
    void inform(QWidget* parent, const QString& text) override;
    // Answers the next Open dialog: a path, or nullopt for cancel.
    std::optional<QString> openFile(QWidget* parent, const OpenFileRequest& request) override;
    // Answered from chosenFiles as the Open dialog is.
    std::optional<QString> saveFile(QWidget* parent, const OpenFileRequest& request) override;
    // Answers the next folder dialog from chosenFolders, likewise.
    std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                        const QString& folder) override;

    std::vector<Shown> shown;
    std::deque<bool> answers;
    std::deque<std::optional<QString>> chosenFiles;
    std::vector<OpenFileRequest> openRequests;
    std::deque<std::optional<QString>> chosenFolders;
};

class FakeMemory final : public MemoryStatus
{
public:
    int memoryLoad() override { return load; }
    int load = 0;
};

class FakeClock final : public Clock
{
public:
    QTime currentTime() override { return time; }
    QTime time{12, 0, 0};
};

class FakeProcess final : public ProcessControl
{
public:
    void endProgram() override { ++ended; }
    int ended = 0;
};

// The real loader on real files, recording every file it was asked to read.
class RecordingPictureLoader final : public PictureLoader
{
public:
    QSize pictureSize(const QString& path) override;
    QImage load(const QString& path, const QSize& displaySize) override;

    // Every path the window's own thread read, in order; what the picture
    // cache decodes on its worker threads is not the window's reading.
    QStringList read;
    QtPictureLoader real;

private:
    void record(const QString& path);
    QMutex m_reading;
};

// Stands in for the memo editor: keeps what it was opened with, and lets a
// test draw as the user would by handing a changed picture back.
class FakePaint final : public PaintProgram
{
public:
    void edit(const QImage& picture, const QString& caption, Changed changed) override;
    // Passes picture back through the callback of the last edit, as a
    // finished stroke in the editor does.
    void draw(const QImage& picture);

    int opened = 0;
    QImage picture;
    QString caption;
    Changed changed;
};

// A shell that starts nothing and records what it was asked to start. Each
// answer can be scripted.
class FakeShell final : public Shell
{
public:
    struct Call {
        enum Kind { Open, Start } kind;
        QString target;        // the document, or the program
        QStringList arguments; // Start only
        QString workingFolder; // Start only
        QString currentFolder; // the process's current folder at the call
    };

    bool openDocument(const QString& target) override;
    bool startProgram(const QString& program, const QStringList& arguments,
                      const QString& workingFolder) override;
    QString findOfficeSuite() override { return officeSuite; }
    QString findAssociatedProgram(const QString& file) override;
    QIcon programIcon(const QString& program) override;

    std::vector<Call> calls;
    std::vector<QString> associationQueries;
    std::vector<QString> iconQueries;
    bool openSucceeds = true;
    bool startSucceeds = true;
    QString officeSuite;
    // file -> program; programs without an entry have no association.
    QMap<QString, QString> associations;
    // program -> icon; programs without an entry have none.
    QMap<QString, QIcon> icons;
};

// A browser whose windows record what they were shown; closing one is
// simulated with quit().
class FakeBrowserWindow final : public BrowserWindow
{
public:
    bool Navigate(const QString& address) override;
    void setVisible(bool visible) override { m_visible = visible; }
    bool isVisible() const override { return m_visible; }
    void quit() { emit OnQuit(); }

    QStringList addresses;
    bool navigateSucceeds = true;

private:
    bool m_visible = false;
};

class FakeBrowser final : public Browser
{
public:
    std::unique_ptr<BrowserWindow> createWindow() override;
    // Every window created, in order; an entry turns null once the program
    // has freed that window.
    std::vector<QPointer<FakeBrowserWindow>> windows;
    bool navigateSucceeds = true;
};

// One set of fakes, wired into a Services value.
struct FakeServices {
    FakeDialogs dialogs;
    FakeMemory memory;
    FakeClock clock;
    FakeProcess process;
    RecordingPictureLoader pictures;
    FakePaint paint;
    FakeShell shell;
    FakeBrowser browser;

    Services services() { return servicesOf(*this); }
};
