#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include "images/image_list.h"
#include "support/form_fixture.h"
#include "ui/list_box.h"

namespace
{

class ImageListTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        ASSERT_TRUE(photos.isValid() && other.isValid());
        makeForm();
    }
    static void touch(const QTemporaryDir& dir, std::initializer_list<QString> names)
    {
        for (const QString& name : names) {
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
        }
    }
    void touchNumbered(int count, const char* extension)
    {
        for (int i = 0; i < count; ++i)
            touch(photos, {QString("img%1.%2").arg(i, 4, 10, QLatin1Char('0')).arg(extension)});
    }
    QString in(const QTemporaryDir& dir, const char* name) const { return dir.filePath(name); }
    void build(const QString& imagePath)
    {
        form->Text5->setText(imagePath);
        Module1::BuildImageList(*form);
    }
    QStringList listed() const { return form->List2->items(); }
    int overflows() const
    {
        return int(
            std::count_if(fakes.dialogs.shown.begin(), fakes.dialogs.shown.end(), [](auto& s) {
                return s.text == QStringLiteral("ファイル名バッファオーバー") && !s.question;
            }));
    }

    QTemporaryDir photos;
    QTemporaryDir other;
};

} // namespace

TEST_F(ImageListTest, ListsTheFourKindsSortedWithoutRegardToCaseHiddenFilesIncluded)
{
    touch(photos, {"b.jpg", "A.BMP", "c.png", "d.gif", "e.jpeg", ".f.wmf"});
    ASSERT_TRUE(QDir(photos.path()).mkdir("sub.jpg"));

    build(in(photos, "B.JPG")); // found in the list whatever its case
    const QStringList expected{in(photos, ".f.wmf"), in(photos, "A.BMP"), in(photos, "b.jpg"),
                               in(photos, "c.png")};
    EXPECT_EQ(listed(), expected);
    EXPECT_EQ(form->Text7->text(), "4");
    EXPECT_EQ(form->Label14->text(), "3");

    // Built again from scratch, never appended to; an image not listed has no
    // position.
    build(in(photos, "d.gif"));
    EXPECT_EQ(listed(), expected);
    EXPECT_EQ(form->Label14->text(), "");
    EXPECT_EQ(overflows(), 0);
}

TEST_F(ImageListTest, NoImagesCountZeroButNoSeparatorKeepsTheCount)
{
    touch(photos, {"notes.txt"});
    for (const QString& path : {in(photos, "gone.jpg"), in(photos, "missing/x.bmp")}) {
        form->Text7->setText("9");
        form->Label14->setText("2");
        build(path);
        EXPECT_TRUE(listed().isEmpty());
        EXPECT_EQ(form->Text7->text(), "0");
        EXPECT_EQ(form->Label14->text(), "");
    }

    touch(photos, {"x.jpg"});
    build(in(photos, "x.jpg"));
    for (const char* path : {"x.jpg", "C:x.jpg"}) {
        build(path);
        EXPECT_TRUE(listed().isEmpty()) << path;
        EXPECT_EQ(form->Text7->text(), "1") << path;
        EXPECT_EQ(form->Label14->text(), "") << path;
    }
    EXPECT_EQ(overflows(), 0);
}

TEST_F(ImageListTest, AThousandNamesFitAndEachPassMeetingOneMoreOverflows)
{
    touchNumbered(1000, "bmp");
    build(in(photos, "img0000.bmp"));
    EXPECT_EQ(overflows(), 0);
    EXPECT_EQ(form->Text7->text(), "1000");
    EXPECT_EQ(form->Label14->text(), "1");

    // The JPEG pass meets the 1001st name and fails alone.
    touch(photos, {"late.jpg"});
    build(in(photos, "img0000.bmp"));
    EXPECT_EQ(overflows(), 1);
    EXPECT_EQ(listed().size(), 1000);
    EXPECT_EQ(form->Text7->text(), "1000");

    // Now the bitmap pass overflows, and so does every later pass that finds
    // a name, with nothing listed.
    touchNumbered(1001, "bmp");
    build(in(photos, "img0000.bmp"));
    EXPECT_EQ(overflows(), 3);
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(form->Text7->text(), "0");
}

// A click handled while a build yields may start another build; the list then
// holds one clean build of the newer image path, never a mix of both.
TEST_F(ImageListTest, ABuildAskedForDuringAnotherReplacesIt)
{
    touch(photos, {"a.bmp", "b.jpg", "c.png"});
    touch(other, {"x.wmf", "y.jpg"});
    int nested = 0;
    QTimer::singleShot(0, form.get(), [&] {
        ++nested;
        form->Text5->setText(in(other, "y.jpg"));
        Module1::BuildImageList(*form);
    });
    build(in(photos, "a.bmp"));
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(listed(), QStringList({in(other, "x.wmf"), in(other, "y.jpg")}));
    EXPECT_EQ(form->Text7->text(), "2");
    EXPECT_EQ(form->Label14->text(), "2");

    // Asked for again, same path, from a later yield: each entry once.
    int yields = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, form.get(), [&] {
        if (++yields == 2)
            Module1::BuildImageList(*form);
    });
    timer.start(0);
    build(in(photos, "b.jpg"));
    timer.stop();
    EXPECT_GE(yields, 2);
    EXPECT_EQ(listed(),
              QStringList({in(photos, "a.bmp"), in(photos, "b.jpg"), in(photos, "c.png")}));
    EXPECT_EQ(form->Text7->text(), "3");
}
