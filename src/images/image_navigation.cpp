#include "images/image_navigation.h"

#include <algorithm>

#include <QLabel>
#include <QLineEdit>

#include "images/prefetch.h"
#include "launch/thumbnail.h"
#include "ui/list_box.h"
#include "ui/main/form1.h"
#include "ui/main/tab_area.h"

namespace
{

// A number as the label and count texts hold it: leading spaces, an optional
// sign, digits; anything after is ignored and a text without digits is 0.
int leadingNumber(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128) {
        value = std::min<long long>(value * 10 + text.at(i).digitValue(), 32767);
        ++i;
    }
    return int(negative ? -value : value);
}

enum class Move { First, Previous, Next, Last };

void move(Form1& form, Move step)
{
    if (form.Label14->text().isEmpty())
        form.Label14->setText(QStringLiteral("0"));
    if (form.Text7->text().isEmpty())
        return;
    const int position = leadingNumber(form.Label14->text());
    // A count left behind by an earlier build may exceed the entries the list
    // holds now; stepping stays within the entries that are there.
    const int count = std::min(leadingNumber(form.Text7->text()), form.List2->count());
    if (count <= 0) {
        form.Label14->setText(QStringLiteral("0"));
        return;
    }
    int target = 1;
    switch (step) {
    case Move::First:
        target = 1;
        break;
    case Move::Previous:
        target = position - 1 < 1 ? count : std::min(position - 1, count);
        break;
    case Move::Next:
        target = position + 1 > count ? 1 : std::max(position + 1, 1);
        break;
    case Move::Last:
        target = count;
        break;
    }
    form.Label14->setText(QString::number(target));
    form.Text5->setText(form.List2->text(target - 1));
    Module1::ShowThumbnail(form, form.Text5->text());
    prefetchImageNeighbours(form);
}

} // namespace

namespace Module1
{

void ShowFirstImage(Form1& form)
{
    move(form, Move::First);
}

void ShowPreviousImage(Form1& form)
{
    move(form, Move::Previous);
}

void ShowNextImage(Form1& form)
{
    move(form, Move::Next);
}

void ShowLastImage(Form1& form)
{
    move(form, Move::Last);
}

} // namespace Module1

void Form1::Command13_Click()
{
    Text8->clear();
    Module1::ShowFirstImage(*this);
}

void Form1::Command14_Click()
{
    Text8->clear();
    Module1::ShowPreviousImage(*this);
}

void Form1::Command15_Click()
{
    Text8->clear();
    Module1::ShowNextImage(*this);
}

void Form1::Command16_Click()
{
    Text8->clear();
    Module1::ShowLastImage(*this);
}

void Form1::List2_Click()
{
    const int row = List2->selectedRow();
    if (row < 0)
        return;
    const QString path = List2->text(row);
    SSTab1->setCurrentIndex(1);
    Text5->setText(path);
    Label14->setText(QString::number(row + 1));
    Module1::ShowThumbnail(*this, path);
    prefetchImageNeighbours(*this);
}
