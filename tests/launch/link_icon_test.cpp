#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTemporaryDir>

#include "launch/launch_files.h"
#include "launch/link_icon.h"
#include "support/form_fixture.h"
#include "ui/look.h"

namespace
{

QIcon solidIcon(const QColor& colour, int size = 48)
{
    QPixmap pixmap(size, size);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

class LinkIconTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        makeForm();
    }
    void show(const QString& target)
    {
        form->Combo3->setEditText(target);
        Module1::ShowLinkIcon(*form);
    }
    bool armed() const
    {
        return form->Picture1->toolTip() == kLinkIconToolTip && hasCustomPointer(form->Picture1);
    }
    QPixmap picture() const { return form->Picture1->pixmap(); }
    QString helpPage() const { return QDir(folder.path()).filePath("help/help.html"); }
};

TEST_F(LinkIconTest, DocumentShowsItsProgramsIconAtLargeIconSize)
{
    fakes.shell.associations["/data/notes.txt"] = "/apps/editor.desktop";
    fakes.shell.icons["/apps/editor.desktop"] = solidIcon(Qt::red);
    show("/data/notes.txt");
    EXPECT_TRUE(armed());
    ASSERT_FALSE(picture().isNull());
    EXPECT_EQ(picture().size(), QSize(32, 32));
    EXPECT_EQ(picture().toImage().pixelColor(0, 0), QColor(Qt::red));
}

TEST_F(LinkIconTest, BlankTargetsDisarmTheBox)
{
    fakes.shell.associations["/data/notes.txt"] = "/apps/editor.desktop";
    fakes.shell.icons["/apps/editor.desktop"] = solidIcon(Qt::red);
    for (const char* blank : {"", " ", "　"}) {
        show("/data/notes.txt");
        ASSERT_TRUE(armed());
        show(QString::fromUtf8(blank));
        EXPECT_TRUE(picture().isNull()) << '[' << blank << ']';
        EXPECT_EQ(form->Picture1->toolTip(), "");
        EXPECT_FALSE(hasCustomPointer(form->Picture1));
    }
}

TEST_F(LinkIconTest, TargetWithoutIconIsArmedAndLeavesNoEarlierIcon)
{
    fakes.shell.associations["/data/notes.txt"] = "/apps/editor.desktop";
    fakes.shell.icons["/apps/editor.desktop"] = solidIcon(Qt::red);
    show("/data/notes.txt");
    show("/data/missing.xyz");
    EXPECT_TRUE(picture().isNull());
    EXPECT_TRUE(armed());
    // Two spaces are not blank: asked about like any other target.
    show("  ");
    EXPECT_TRUE(armed());
    EXPECT_EQ(fakes.shell.associationQueries.back(), "  ");
}

TEST_F(LinkIconTest, WebAddressesShowTheHelpPagesProgramAndProgramsTheirOwn)
{
    fakes.shell.associations[helpPage()] = "/apps/browser.desktop";
    fakes.shell.icons["/apps/browser.desktop"] = solidIcon(Qt::blue);
    show("HTTP://example.com/");
    EXPECT_EQ(picture().toImage().pixelColor(0, 0), QColor(Qt::blue));

    QTemporaryDir work;
    const QString script = work.filePath("run.sh");
    ASSERT_TRUE(writeFile(script, "#!/bin/sh\n"));
    ASSERT_TRUE(makeExecutable(script));
    show("C:/Tools/APP.EXE");
    show(script);
    EXPECT_EQ(fakes.shell.associationQueries, std::vector<QString>{helpPage()});
    EXPECT_EQ(fakes.shell.iconQueries,
              (std::vector<QString>{"/apps/browser.desktop", "C:/Tools/APP.EXE", script}));
}

TEST_F(LinkIconTest, OnlyRealProgramsShowTheirOwnIconEvenWhereEveryFileIsExecutable)
{
    QTemporaryDir drive;
    const QDir dir(drive.path());
    ASSERT_TRUE(writeElfProgram(dir.filePath("tool")));
    ASSERT_TRUE(writeFile(dir.filePath("install"), "#!/bin/sh\n"));
    ASSERT_TRUE(writeFile(dir.filePath("manual.pdf"), "%PDF-1.4\n"));
    ASSERT_TRUE(writeFile(dir.filePath("notes.txt"), "#!/bin/sh\n"));
    ASSERT_TRUE(writeFile(dir.filePath("README"), "read me\n"));
    ASSERT_TRUE(makeAllExecutable(drive.path()));
    ASSERT_TRUE(writeFile(dir.filePath("later.sh"), "#!/bin/sh\n"));

    for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
        show(dir.filePath(name));
    EXPECT_EQ(fakes.shell.associationQueries,
              (std::vector<QString>{dir.filePath("README"), dir.filePath("later.sh"),
                                    dir.filePath("manual.pdf"), dir.filePath("notes.txt")}));
    // A program's icon is looked up for the program itself; a document's for
    // the program associated with it, here none.
    EXPECT_EQ(fakes.shell.iconQueries, (std::vector<QString>{"", dir.filePath("install"), "", "",
                                                             "", dir.filePath("tool")}));
}

TEST_F(LinkIconTest, NameWithoutFolderIsLookedForInTheWorkingFolder)
{
    QTemporaryDir work;
    ASSERT_TRUE(writeFile(work.filePath("sync"), "#!/bin/sh\n"));
    ASSERT_TRUE(makeExecutable(work.filePath("sync")));
    ASSERT_TRUE(writeFile(work.filePath("plan.pdf"), "%PDF-1.4\n"));
    form->Text6->setText(work.path());
    show("sync");
    show("plan.pdf");
    show("ghost");
    EXPECT_EQ(fakes.shell.iconQueries, (std::vector<QString>{work.filePath("sync"), "", ""}));
    EXPECT_EQ(fakes.shell.associationQueries,
              (std::vector<QString>{work.filePath("plan.pdf"), "ghost"}));
}

} // namespace
