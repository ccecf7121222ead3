#include <QBuffer>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>

#include "memo/memo_files.h"
#include "platform/dialogs.h"
#include "platform/paint.h"
#include "store/catalogue_db.h"
#include "store/pg_database.h"
#include "store/server_memo.h"
#include "ui/main/form1.h"

namespace
{

// What the memo area shows, at the picture's own size; before any memo has
// been loaded that is a blank page.
QImage memoPicture(const Form1& form)
{
    const QPixmap shown = form.OLE2->pixmap();
    return shown.isNull() ? memo::blankMemo() : shown.toImage();
}

} // namespace

void Form1::Command38_Click()
{
    const QString title = Text2->text();
    if (title.isEmpty()) {
        m_services.dialogs->inform(this, QStringLiteral("タイトルを入力してください。"));
        return;
    }

    // Only read here: a title that has no memo yet gets no file until it is
    // saved.
    QImage picture;
    if (isServerCatalogue(databasePath())) {
        try {
            CatalogueDb db(databasePath());
            picture = QImage::fromData(store::readServerMemo(db, title).value_or(QByteArray()));
        } catch (const DbError&) {
            Text8->setText(QStringLiteral("手書きメモの読み込みでエラーが発生しました。"));
            return;
        }
    } else if (const auto path = memo::memoFilePath(m_dataFolder, title))
        picture = memo::readMemo(*path);
    if (picture.isNull()) {
        picture = memo::readMemo(memo::defaultMemoPath(m_sharedFolder));
        // Without the shipped blank memo the user still gets a page to draw on.
        if (picture.isNull())
            picture = memo::blankMemo();
        Text8->setText(QStringLiteral("新規作成です。"));
    }

    OLE2->setPixmap(QPixmap::fromImage(picture));
    if (!m_services.paint)
        return;
    // The editor may outlive the window it reports to.
    QPointer<QLabel> shownIn = OLE2;
    m_services.paint->edit(picture, QStringLiteral("手書きメモ - %1").arg(title),
                           [shownIn](const QImage& changed) {
                               if (shownIn)
                                   shownIn->setPixmap(QPixmap::fromImage(changed));
                           });
}

void Form1::Command39_Click()
{
    const QString title = Text2->text();
    if (title.isEmpty()) {
        m_services.dialogs->inform(this, QStringLiteral("タイトルを入力してください。"));
        return;
    }
    if (isServerCatalogue(databasePath())) {
        QByteArray png;
        QBuffer buffer(&png);
        try {
            CatalogueDb db(databasePath());
            if (buffer.open(QIODevice::WriteOnly) && memoPicture(*this).save(&buffer, "PNG"))
                return store::writeServerMemo(db, title, png);
        } catch (const DbError&) {
        }
        Text8->setText(QStringLiteral("手書きメモ・ファイルの保存でエラーが発生しました。"));
        return;
    }
    const auto path = memo::memoFilePath(m_dataFolder, title);
    if (!path || !memo::writeMemo(*path, memoPicture(*this)))
        Text8->setText(QStringLiteral("手書きメモ・ファイルの保存でエラーが発生しました。"));
}
