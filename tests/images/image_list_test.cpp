#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

#include "images/image_list.h"
#include "support/form_fixture.h"
#include "support/qt_printers.h"

namespace {

const QString kOverflow = QStringLiteral("ファイル名バッファオーバー");

class ImageListTest : public FormFixture {
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        ASSERT_TRUE(photos.isValid());
        makeForm();
    }

    QString folder() const { return photos.path() + "/"; }
    void touch(const QString& name, const QTemporaryDir* in = nullptr)
    {
        QFile file((in ? in->path() + "/" : folder()) + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    }
    void build(const QString& imagePath)
    {
        form->Text5->setText(imagePath);
        Module1::BuildImageList(*form);
    }
    QStringList listed() const
    {
        QStringList entries;
        for (int row = 0; row < form->List2->count(); ++row)
            entries << form->List2->item(row)->text();
        return entries;
    }
    int overflowMessages() const
    {
        return int(std::count_if(fakes.dialogs.shown.begin(), fakes.dialogs.shown.end(),
                                 [](const FakeDialogs::Shown& s) { return s.text == kOverflow; }));
    }

    QTemporaryDir photos;
};

} // namespace

TEST_F(ImageListTest, ListsTheFourKindsOfTheImagesFolderSortedWithoutRegardToCase)
{
    for (const char* name : {"b.jpg", "A.BMP", "c.png", "d.gif", "e.jpeg", ".f.wmf"})
        touch(name);
    ASSERT_TRUE(QDir(photos.path()).mkdir("sub.jpg"));

    // The image path names the file in another case; it is still found.
    build(folder() + "B.JPG");
    const QString f = folder();
    EXPECT_EQ(listed(), QStringList({f + ".f.wmf", f + "A.BMP", f + "b.jpg", f + "c.png"}));
    EXPECT_EQ(form->Text7->text(), "4");
    EXPECT_EQ(form->Label14->text(), "3");
    EXPECT_EQ(overflowMessages(), 0);

    // A second build starts from scratch and finds the same.
    build(folder() + "c.png");
    EXPECT_EQ(listed().size(), 4);
    EXPECT_EQ(form->Label14->text(), "4");

    // An image that is not in the list leaves the position empty.
    build(folder() + "d.gif");
    EXPECT_EQ(form->Text7->text(), "4");
    EXPECT_EQ(form->Label14->text(), "");
}

TEST_F(ImageListTest, AFolderWithoutImagesCountsZero)
{
    touch("notes.txt");
    form->Text7->setText("9");
    form->Label14->setText("2");
    build(folder() + "gone.jpg");
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(form->Text7->text(), "0");
    EXPECT_EQ(form->Label14->text(), "");

    // A folder that does not exist is no different.
    form->Text7->setText("9");
    build(photos.filePath("missing/x.bmp"));
    EXPECT_EQ(form->Text7->text(), "0");
}

TEST_F(ImageListTest, APathWithoutSeparatorListsNothingAndKeepsTheCount)
{
    touch("x.jpg");
    build(folder() + "x.jpg");
    ASSERT_EQ(form->Text7->text(), "1");
    for (const char* path : {"x.jpg", "C:x.jpg"}) {
        build(path);
        EXPECT_TRUE(listed().isEmpty()) << path;
        EXPECT_EQ(form->Text7->text(), "1") << path;
        EXPECT_EQ(form->Label14->text(), "") << path;
    }
    EXPECT_EQ(overflowMessages(), 0);
}

TEST_F(ImageListTest, AnEmptyImagePathListsTheRootFolder)
{
    build("");
    for (const QString& entry : listed())
        EXPECT_EQ(entry.lastIndexOf('/'), 0) << entry.toStdString();
    EXPECT_EQ(form->Text7->text(), QString::number(listed().size()));
}

TEST_F(ImageListTest, AThousandNamesFitAndOneMoreOverflows)
{
    for (int i = 0; i < 1000; ++i)
        touch(QString("img%1.bmp").arg(i, 4, 10, QLatin1Char('0')));
    build(folder() + "img0000.bmp");
    EXPECT_EQ(overflowMessages(), 0);
    EXPECT_EQ(form->Text7->text(), "1000");
    EXPECT_EQ(listed().size(), 1000);
    EXPECT_EQ(form->Label14->text(), "1");

    // The JPEG pass meets the 1001st name: it fails with the message, the
    // bitmaps of the earlier pass stay listed.
    touch("late.jpg");
    build(folder() + "img0000.bmp");
    EXPECT_EQ(overflowMessages(), 1);
    EXPECT_EQ(listed().size(), 1000);
    EXPECT_EQ(form->Text7->text(), "1000");
    EXPECT_FALSE(listed().contains(folder() + "late.jpg"));
}

TEST_F(ImageListTest, OneThousandAndOneInTheFirstPassListNothing)
{
    for (int i = 0; i < 1001; ++i)
        touch(QString("img%1.bmp").arg(i, 4, 10, QLatin1Char('0')));
    touch("extra.png");
    build(folder() + "img0000.bmp");
    // The bitmap pass overflows; the PNG pass finds a name with no slot left
    // and fails the same way.
    EXPECT_EQ(overflowMessages(), 2);
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(form->Text7->text(), "0");
    EXPECT_EQ(form->Label14->text(), "");
}

// A click handled while a build yields may start another build. The list must
// then hold one clean build of the newer image path, never a mix of both.
TEST_F(ImageListTest, ABuildAskedForDuringAnotherReplacesIt)
{
    QTemporaryDir other;
    ASSERT_TRUE(other.isValid());
    for (const char* name : {"a.bmp", "b.jpg", "c.png"})
        touch(name);
    for (const char* name : {"x.wmf", "y.jpg"})
        touch(name, &other);

    int nested = 0;
    QTimer::singleShot(0, form.get(), [&] {
        ++nested;
        form->Text5->setText(other.path() + "/y.jpg");
        Module1::BuildImageList(*form);
    });
    build(folder() + "a.bmp");

    EXPECT_EQ(nested, 1);
    const QString o = other.path() + "/";
    EXPECT_EQ(listed(), QStringList({o + "x.wmf", o + "y.jpg"}));
    EXPECT_EQ(form->Text7->text(), "2");
    EXPECT_EQ(form->Label14->text(), "2");

    // Asked for again with the same path, from a later yield: still each
    // entry once.
    int yields = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, form.get(), [&] {
        if (++yields == 2)
            Module1::BuildImageList(*form);
    });
    timer.start(0);
    build(folder() + "b.jpg");
    timer.stop();
    const QString f = folder();
    EXPECT_GE(yields, 2);
    EXPECT_EQ(listed(), QStringList({f + "a.bmp", f + "b.jpg", f + "c.png"}));
    EXPECT_EQ(form->Text7->text(), "3");
    EXPECT_EQ(form->Label14->text(), "2");
}
