#pragma once

#include <QString>
#include <QStringList>

class QComboBox;

// Editable combo boxes whose list and text the procedures set separately, as
// the catalogue's fields need; Qt would otherwise copy a list entry into the
// text whenever the list is filled.

QStringList comboItems(const QComboBox* box);
// Replaces the list and the text without any change signal; true when the
// text ends up different from before.
bool setComboContents(QComboBox* box, const QString& text, const QStringList& items);
