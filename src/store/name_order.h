#pragma once

#include <QByteArray>
#include <QStringView>

// A byte string whose plain byte order is the catalogue's Japanese name order:
// ICU's Japanese collation with numbers by value (symbols, numbers, Latin,
// kana of both kinds and widths together, kanji), then the exact spelling, so
// two different names never get the same key.
QByteArray japaneseSortKey(QStringView text);
