#pragma once

#include <QString>
#include <QStringList>

class QComboBox;

// Editable combo boxes whose list and text the procedures set separately, as
// the catalogue's fields need; Qt would otherwise copy a list entry into the
// text whenever the list is filled.

QStringList comboItems(const QComboBox* box);
// Replaces the list and the text. The box's text-change signal runs once when
// the text ends up different, never for the intermediate steps; with announce
// false it does not run at all.
void setComboContents(QComboBox* box, const QString& text, const QStringList& items,
                      bool announce = true);
// Empties the list and keeps the text, without any text-change signal.
void clearComboList(QComboBox* box);
