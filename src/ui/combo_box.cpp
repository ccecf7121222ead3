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

void setComboContents(QComboBox* box, const QString& text, const QStringList& items, bool announce)
{
    const QString before = box->currentText();
    {
        const QSignalBlocker quiet(box);
        box->clear();
        box->addItems(items);
        box->setCurrentIndex(-1);
        box->setEditText(text);
    }
    if (announce && text != before)
        emit box->editTextChanged(text);
}

void clearComboList(QComboBox* box)
{
    setComboContents(box, box->currentText(), {}, false);
}
