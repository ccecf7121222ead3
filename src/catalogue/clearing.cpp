#include "catalogue/clearing.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>

#include "ui/combo_box.h"
#include "ui/look.h"
#include "ui/main/form1.h"

namespace Module1
{

void ClearEditingFields(Form1& form)
{
    form.WebBrowser1->hide();
    form.Text1->clear();
    form.Text2->clear();
    form.Text3->clear();
    // Quietly: the link-target change handler would redraw the old thumbnail
    // from Text5, which is only emptied below.
    setComboContents(form.Combo3, QString(), {});
    form.Text5->clear();
    form.Text6->clear();
    form.Text7->clear();
    form.Text9->clear();
    form.Label14->clear();

    form.Image1->clear();
    form.Image1->setToolTip(QString());
    setPointerDefault(form.Image1);
    form.Picture1->clear();
    form.Picture1->setToolTip(QString());
    setPointerDefault(form.Picture1);
    form.Picture2->clear();
    form.Picture2->hide();
}

} // namespace Module1

void Form1::Command10_Click()
{
    Module1::ClearEditingFields(*this);
    Text8->clear();
}
