#include "images/prefetch.h"

#include <QCheckBox>
#include <QLabel>

#include "launch/thumbnail.h"
#include "ui/list_box.h"
#include "ui/main/form1.h"

void prefetchImageNeighbours(Form1& form)
{
    if (form.Check1->checkState() == Qt::Unchecked)
        return;
    const int count = form.List2->count();
    bool numeric = false;
    const int position = form.Label14->text().toInt(&numeric);
    if (count == 0 || !numeric || position < 1 || position > count)
        return;

    // Rows, 0-based, in the order a user most likely wants them.
    const int current = position - 1;
    const int rows[] = {(current + 1) % count, (current + count - 1) % count, 0, count - 1};
    QStringList paths;
    for (const int row : rows) {
        const QString path = form.List2->text(row);
        if (row != current && !paths.contains(path))
            paths << path;
    }
    form.pictureCache.prefetch(paths, thumbnailPlan);
}
