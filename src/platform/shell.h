#pragma once

#include <QByteArray>
#include <QHash>
#include <QIcon>
#include <QString>
#include <QStringList>

// The desktop's ways of starting things: documents and addresses through the
// programs associated with them, programs directly, and the icons that show
// which program a click would start.
class Shell
{
public:
    virtual ~Shell() = default;

    // Opens target with the program the desktop associates with it: a target
    // with a URL scheme ("https://…", "mailto:…") as that URL, anything else as
    // a file path, a relative one taken from the current folder. False when
    // nothing was started: the file is missing, no program is associated with
    // it, or the program refused to start.
    virtual bool openDocument(const QString& target) = 0;

    // Starts program on its own, outside this process, with arguments passed
    // as given (no splitting, no quoting) and workingFolder as its current
    // folder (empty: this process's current folder). False when it could not
    // be started.
    virtual bool startProgram(const QString& program, const QStringList& arguments,
                              const QString& workingFolder) = 0;

    // The office suite's launcher ("libreoffice", else "soffice", on PATH),
    // which takes --calc and --writer; empty when none is installed.
    virtual QString findOfficeSuite() = 0;

    // The program the desktop would open file with, named by the full path of
    // its desktop entry; for a target with a URL scheme, the handler of that
    // scheme. Empty when file does not exist or nothing is associated.
    virtual QString findAssociatedProgram(const QString& file) = 0;

    // The icon of program: a desktop entry's own icon; for an executable file
    // the icon of a desktop entry that runs it, else the theme's icon for
    // executables. Null when program is empty or no such file exists.
    virtual QIcon programIcon(const QString& program) = 0;
};

// The shell of a freedesktop desktop, through GIO's association database
// (the one the desktop itself uses) and QProcess. The program of each content
// type and the icon of each program are looked up once and kept until the
// desktop's applications change, since the link icon asks on every keystroke.
class DesktopShell final : public Shell
{
public:
    DesktopShell();
    ~DesktopShell() override;
    DesktopShell(const DesktopShell&) = delete;
    DesktopShell& operator=(const DesktopShell&) = delete;

    bool openDocument(const QString& target) override;
    bool startProgram(const QString& program, const QStringList& arguments,
                      const QString& workingFolder) override;
    QString findOfficeSuite() override;
    QString findAssociatedProgram(const QString& file) override;
    QIcon programIcon(const QString& program) override;

    // How often the association database was asked for a content type's
    // program.
    int associationLookups() const { return m_associationLookups; }
    // Forgets what was looked up, as when the desktop's applications change.
    void forgetLookups();

private:
    QHash<QByteArray, QString> m_programOfType;
    QHash<QString, QIcon> m_iconOfProgram;
    int m_associationLookups = 0;
    void* m_monitor = nullptr;
    unsigned long m_monitorHandler = 0;
};

// True when target begins with a URL scheme of two letters or more and a
// colon; a Windows drive ("C:\…") is a path, not a scheme.
bool hasUrlScheme(const QString& target);
