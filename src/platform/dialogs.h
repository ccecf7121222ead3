#pragma once

#include <optional>

#include <QString>

class QWidget;

// An Open dialog's request: the filter is written "desc|*.a;*.b", pairs of a
// description and its patterns.
struct OpenFileRequest {
    QString title;
    QString filter;
    QString folder;
    QString fileName;
};

// The filter of an Open dialog in Qt's form: "desc (*.a *.b)", joined by
// ";;". The pattern "*.*" becomes "*": every file, names without a dot too.
QString qtFileFilter(const QString& filter);

// The text a message box shows: each line longer than kBoxLineLength
// characters keeps its beginning and end around "…", and a text of more than
// kBoxLines lines keeps its first and last lines around a line "…", so that
// any box, whatever name it carries, is laid out at once. Characters are
// never cut in half.
inline constexpr qsizetype kBoxLineLength = 160;
inline constexpr qsizetype kBoxLines = 40;
QString shortenedForBox(const QString& text);

// Message boxes. Handlers ask through this interface so that tests can
// answer the questions from a script.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // A question with the question icon and the buttons Yes and No; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& text, const QString& title) = 0;
    // A notice with an OK button only, no icon, titled with the program's name.
    virtual void inform(QWidget* parent, const QString& text) = 0;
    // The modal Open dialog: the chosen file, or nullopt when the user cancelled.
    virtual std::optional<QString> openFile(QWidget* parent, const OpenFileRequest& request) = 0;
    // The modal Save dialog, which asks before replacing a file: the chosen
    // file, or nullopt when the user cancelled. Where a service has no such
    // dialog nothing is ever chosen.
    virtual std::optional<QString> saveFile(QWidget* parent, const OpenFileRequest& request);
    // The modal folder dialog: the chosen folder, or nullopt when the user
    // cancelled. Where a service has no such dialog nothing is ever chosen.
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                                const QString& folder);
};

class QtDialogs final : public Dialogs
{
public:
    bool askYesNo(QWidget* parent, const QString& text, const QString& title) override;
    void inform(QWidget* parent, const QString& text) override;
    std::optional<QString> openFile(QWidget* parent, const OpenFileRequest& request) override;
    std::optional<QString> saveFile(QWidget* parent, const OpenFileRequest& request) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                        const QString& folder) override;
};
