#include "fakes/fake_services.h"

#include <QCoreApplication>
#include <QThread>

#include <QDir>

#include <gtest/gtest.h>

void FakeDialogs::answer(std::initializer_list<bool> list)
{
    answers.insert(answers.end(), list.begin(), list.end());
}

bool FakeDialogs::askYesNo(QWidget*, const QString& text, const QString& title)
{
    shown.push_back({text, title, true});
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

void FakeDialogs::inform(QWidget*, const QString& text)
{
    shown.push_back({text, QString(), false});
}

std::optional<QString> FakeDialogs::openFile(QWidget*, const OpenFileRequest& request)
{
    openRequests.push_back(request);
    if (chosenFiles.empty()) {
        ADD_FAILURE() << "unexpected Open dialog: " << request.title.toStdString();
        return std::nullopt;
    }
    auto chosen = chosenFiles.front();
    chosenFiles.pop_front();
    return chosen;
}

std::optional<QString> FakeDialogs::saveFile(QWidget* parent, const OpenFileRequest& request)
{
    return openFile(parent, request);
}

std::optional<QString> FakeDialogs::chooseFolder(QWidget*, const QString& title, const QString&)
{
    if (chosenFolders.empty()) {
        ADD_FAILURE() << "unexpected folder dialog: " << title.toStdString();
        return std::nullopt;
    }
    auto chosen = chosenFolders.front();
    chosenFolders.pop_front();
    return chosen;
}

void RecordingPictureLoader::record(const QString& path)
{
    const QMutexLocker locked(&m_reading);
    if (QThread::currentThread() == qApp->thread())
        read << path;
}

QSize RecordingPictureLoader::pictureSize(const QString& path)
{
    record(path);
    return real.pictureSize(path);
}

QImage RecordingPictureLoader::load(const QString& path, const QSize& displaySize)
{
    record(path);
    return real.load(path, displaySize);
}

void FakePaint::edit(const QImage& shown, const QString& title, Changed callback)
{
    ++opened;
    picture = shown;
    caption = title;
    changed = std::move(callback);
}

void FakePaint::draw(const QImage& drawn)
{
    ASSERT_TRUE(changed) << "the editor was never opened";
    picture = drawn;
    changed(drawn);
}

bool FakeShell::openDocument(const QString& target)
{
    calls.push_back({Call::Open, target, {}, {}, QDir::currentPath()});
    return openSucceeds;
}

bool FakeShell::startProgram(const QString& program, const QStringList& arguments,
                             const QString& workingFolder)
{
    calls.push_back({Call::Start, program, arguments, workingFolder, QDir::currentPath()});
    return startSucceeds;
}

QString FakeShell::findAssociatedProgram(const QString& file)
{
    associationQueries.push_back(file);
    return associations.value(file);
}

QIcon FakeShell::programIcon(const QString& program)
{
    iconQueries.push_back(program);
    return icons.value(program);
}

bool FakeBrowserWindow::Navigate(const QString& address)
{
    addresses << address;
    return navigateSucceeds;
}

std::unique_ptr<BrowserWindow> FakeBrowser::createWindow()
{
    auto window = std::make_unique<FakeBrowserWindow>();
    window->navigateSucceeds = navigateSucceeds;
    windows.emplace_back(window.get());
    return window;
}
