#include "ui/combo_box.h"

#include <QComboBox>
#include <QSignalBlocker>

QStringList comboItems(const QComboBox* box)
{
    QStringList items;
    items.reserve(box->count());
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

bool setComboContents(QComboBox* box, const QString& text, const QStringList& items)
{
    const QString before = box->currentText();
    const QSignalBlocker quiet(box);
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(-1);
    box->setEditText(text);
    return text != before;
}
