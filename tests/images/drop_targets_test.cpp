#include <functional>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "support/form_fixture.h"
#include "support/test_pictures.h"
#include "ui/combo_box.h"
#include "ui/list_box.h"

namespace
{

class DropTargetsTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        m_startFolder = QDir::currentPath();
        sql("INSERT INTO カテゴリ VALUES ('書籍')");
        sql("INSERT INTO タイトル VALUES ('T', ' ', ' ', '/a\r\n', '書籍', '/w/', ' ')");
    }
    // Dropping a picture makes its folder current, as picking one does.
    void TearDown() override { QDir::setCurrent(m_startFolder); }

    QByteArray catalogueBytes() const
    {
        QFile file(dbPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QString m_startFolder;
};

// Sends a drag's entry and, when it is taken, its drop, as the window system
// delivers them to the widget under the pointer; true when the drop was taken.
bool dropOn(QWidget* widget, const QMimeData& mime, Qt::DropActions actions)
{
    const QPoint at(4, 4);
    QDragEnterEvent enter(at, actions, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, actions, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
    if (!move.isAccepted())
        return false;
    QDropEvent drop(at, actions, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &drop);
    return drop.isAccepted() && drop.dropAction() != Qt::MoveAction;
}

TEST_F(DropTargetsTest, DropsBecomeLinkTargetsOrThumbnailWithoutStoring)
{
    const QString docs = folder.filePath("Docs");
    const QString trip = docs + "/Trip";
    QDir().mkpath(trip);
    const QString plan = docs + "/plan";
    QFile planFile(plan);
    ASSERT_TRUE(planFile.open(QIODevice::WriteOnly));
    planFile.close();
    const QString picture = trip + "/img01.jpg";
    ASSERT_TRUE(writePicture(picture, QSize(20, 20)));
    const QUrl planUrl = QUrl::fromLocalFile(plan);
    const QUrl page("https://example.com/doc/page.html");
    const QString share = "smb://nas/share/表.xls";

    using Pick = std::function<QWidget*(Form1&)>;
    const Pick window = [](Form1& f) { return static_cast<QWidget*>(&f); };
    const Pick combo = [](Form1& f) { return static_cast<QWidget*>(f.Combo3->lineEdit()); };
    const Pick name = [](Form1& f) { return static_cast<QWidget*>(f.Text2); };
    const Pick list = [](Form1& f) { return f.List1->viewport(); };
    const Pick thumbs = [](Form1& f) { return f.Image1->parentWidget(); };
    const Qt::DropActions any = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    const struct {
        const char* what;
        Pick place;
        QList<QUrl> urls;
        QString text;
        Qt::DropActions actions;
        QString typedName;
        bool loaded;
        bool taken;
        QString combo;
        QStringList items;
        QString name;
        QString folder;
        QString thumbnail;
    } cases[] = {
        // clang-format off
        {"a file without a dot on the window", window, {planUrl}, {}, any, {}, false,
         true, plan, {plan}, "plan", docs + "/", {}},
        {"a folder, its address ending in a separator, under a typed name", combo,
         {QUrl::fromLocalFile(trip + "/")}, {}, Qt::CopyAction, "決めた題", false,
         true, trip, {trip}, "決めた題", docs + "/", {}},
        {"an address bar's plain text on the name field", name, {}, page.toString() + "\n",
         Qt::CopyAction, {}, false,
         true, page.toString(), {page.toString()}, "example.com", {}, {}},
        {"several: the first shown, all listed, remote kept as written", window,
         {planUrl, page, QUrl(share)}, {}, any, {}, false,
         true, plan, {plan, page.toString(), share}, "plan", docs + "/", {}},
        {"the title list with no title loaded starts one", list, {planUrl}, {}, any, {}, false,
         true, plan, {plan}, "plan", docs + "/", {}},
        {"the title list with a title loaded refuses", list, {planUrl}, {}, any, {}, true,
         false, "/a", {}, "T", "/w/", {}},
        {"a title loaded takes a drop on the editor", window, {planUrl}, {}, any, {}, true,
         true, plan, {plan}, "T", "/w/", {}},
        {"text that is not all addresses stays text", window, {}, page.toString() + "\nmemo",
         Qt::CopyAction, {}, false,
         false, {}, {}, {}, {}, {}},
        {"a move only is refused, so the source keeps its file", window, {planUrl}, {},
         Qt::MoveAction, {}, false,
         false, {}, {}, {}, {}, {}},
        {"a picture on the thumbnail area", thumbs, {planUrl, QUrl::fromLocalFile(picture)}, {},
         any, {}, false,
         true, {}, {}, "Trip", {}, picture},
        {"no picture on the thumbnail area is refused, not taken as a link", thumbs, {planUrl},
         {}, any, {}, false,
         false, {}, {}, {}, {}, {}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        makeForm();
        if (c.loaded) {
            form->Command1->click();
            form->List1->setCurrentRow(form->List1->findRow("T"));
            form->List1_Click();
        }
        if (!c.typedName.isEmpty())
            form->Text2->setText(c.typedName);
        const QByteArray stored = catalogueBytes();
        QMimeData mime;
        if (!c.urls.isEmpty())
            mime.setUrls(c.urls);
        if (!c.text.isEmpty())
            mime.setText(c.text);

        EXPECT_EQ(dropOn(c.place(*form), mime, c.actions), c.taken);
        EXPECT_EQ(form->Combo3->currentText(), c.combo);
        EXPECT_EQ(comboItems(form->Combo3), c.items);
        EXPECT_EQ(form->Text2->text(), c.name);
        EXPECT_EQ(form->Text6->text(), c.folder);
        EXPECT_EQ(form->Text5->text(), c.thumbnail);
        EXPECT_EQ(form->Picture2->isHidden(), c.thumbnail.isEmpty());
        EXPECT_EQ(catalogueBytes(), stored);
    }
}

} // namespace
