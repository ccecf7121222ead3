#pragma once

#include <QString>

class Form1;

namespace Module1
{

// Starts the link target in Combo3 the way its last three letters ask for:
// "xls" and "doc" in the office suite, programs (see runsAsProgram) directly
// with the launch options (Text9) in the working folder (Text6), everything
// else through the desktop's association in the working folder. The working
// folder, taken from the current folder when relative, becomes this
// process's current folder, and a target named without folder is first
// looked for there. A launch that fails writes its message into the status
// line.
void LaunchTarget(Form1& form);

// Opens document in the office suite's spreadsheet program, or through the
// desktop's association when no office suite is installed; a file path is
// handed over absolute, taken from the current folder. False when nothing
// could be started.
bool LaunchWithExcel(Form1& form, const QString& document);
// The same with the word processor.
bool LaunchWithWord(Form1& form, const QString& document);

} // namespace Module1

// The status line's text for a link target that could not be started.
inline const QString kLaunchFailedMessage =
    QStringLiteral("拡張子連動または、EXEファイルの実行でエラーが発生しました。");
// The status line's text for a thumbnail whose working folder cannot be
// entered.
inline const QString kFolderFailedMessage =
    QStringLiteral("フォルダ・ドライブ等の指定にエラーがあります。");
