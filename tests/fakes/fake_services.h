#pragma once

#include <deque>
#include <vector>

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTime>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/memory.h"
#include "platform/picture.h"
#include "platform/page_opener.h"
#include "platform/paint.h"
#include "platform/process.h"
#include "platform/services.h"

// Message boxes answered from a script; every box shown is recorded.
class FakeDialogs final : public Dialogs {
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

    std::vector<Shown> shown;
    std::deque<bool> answers;
    std::deque<std::optional<QString>> chosenFiles;
    std::vector<OpenFileRequest> openRequests;
};

class FakeMemory final : public MemoryStatus {
public:
    int memoryLoad() override { return load; }
    int load = 0;
};

class FakeClock final : public Clock {
public:
    QTime currentTime() override { return time; }
    QTime time{12, 0, 0};
};

class FakeProcess final : public ProcessControl {
public:
    void endProgram() override { ++ended; }
    int ended = 0;
};

// The real loader on real files, recording every file it was asked to read.
class RecordingPictureLoader final : public PictureLoader {
public:
    QSize pictureSize(const QString& path) override;
    QImage load(const QString& path, const QSize& displaySize) override;

    QStringList read;
    QtPictureLoader real;
};

// Records the addresses it is asked to show instead of starting a browser.
class FakePageOpener final : public PageOpener {
public:
    void openPage(const QString& address) override { opened << address; }
    QStringList opened;
};

// Stands in for the memo editor: keeps what it was opened with, and lets a
// test draw as the user would by handing a changed picture back.
class FakePaint final : public PaintProgram {
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

// One set of fakes, wired into a Services value.
struct FakeServices {
    FakeDialogs dialogs;
    FakeMemory memory;
    FakeClock clock;
    FakeProcess process;
    RecordingPictureLoader pictures;
    FakePageOpener pages;
    FakePaint paint;

    Services services();
};
