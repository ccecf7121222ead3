#include <cmath>
#include <map>
#include <string>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPalette>
#include <QTest>

#include "maint/form2.h"
#include "support/form_fixture.h"
#include "ui/list_box.h"

namespace
{

// WCAG's relative luminance and contrast ratio.
double luminance(QColor colour)
{
    const auto linear = [](int channel) {
        const double value = channel / 255.0;
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.red()) + 0.7152 * linear(colour.green()) +
           0.0722 * linear(colour.blue());
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of a label's text as the window draws it: its background is
// the commonest colour in its box, its text the pixel that stands out most.
double drawnContrast(const QImage& window, const QLabel& label)
{
    const QRect box(label.mapTo(label.window(), QPoint(0, 0)), label.size());
    QMap<QRgb, int> counts;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            ++counts[window.pixel(x, y)];
    QRgb background = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(background))
            background = it.key();
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, contrast(QColor(background), QColor(it.key())));
    return best;
}

QPalette darkPalette()
{
    QPalette dark;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        dark.setColor(group, QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
        dark.setColor(group, QPalette::WindowText, QColor(0xd8, 0xd8, 0xd8));
        dark.setColor(group, QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
        dark.setColor(group, QPalette::Text, QColor(0xd8, 0xd8, 0xd8));
        dark.setColor(group, QPalette::Button, QColor(0x35, 0x35, 0x35));
        dark.setColor(group, QPalette::ButtonText, QColor(0xd8, 0xd8, 0xd8));
    }
    return dark;
}

class ThemeTest : public FormFixture
{
protected:
    void TearDown() override
    {
        QApplication::setPalette(m_palette);
        QApplication::setFont(m_font);
    }

    // The labels with text that each window shows.
    static QList<QLabel*> shownLabels(QWidget& window)
    {
        QList<QLabel*> labels;
        for (QLabel* label : window.findChildren<QLabel*>())
            if (!label->text().isEmpty() && label->isVisibleTo(&window))
                labels << label;
        return labels;
    }

    const QPalette m_palette = QApplication::palette();
    const QFont m_font = QApplication::font();
};

TEST_F(ThemeTest, EveryLabelIsReadableUnderADarkTheme)
{
    // The theme's palette is in place before the first window is built, as a
    // dark desktop has it.
    QApplication::setPalette(darkPalette());
    makeForm();
    Form2 dialog(*form);
    int checked = 0;
    for (QWidget* window : {static_cast<QWidget*>(form.get()), static_cast<QWidget*>(&dialog)}) {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        const QImage picture = window->grab().toImage();
        for (QLabel* label : shownLabels(*window)) {
            EXPECT_GE(drawnContrast(picture, *label), 4.5)
                << window->objectName().toStdString() << "." << label->objectName().toStdString()
                << " \"" << label->text().toStdString() << "\"";
            ++checked;
        }
    }
    // Both windows' headings, the clock and the settings' row captions.
    EXPECT_GE(checked, 15);

    // The title list keeps its white background and black text.
    const QPalette list = form->List1->palette();
    EXPECT_EQ(list.color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(list.color(QPalette::Text), QColor(Qt::black));
    // What the program does not colour follows the theme.
    EXPECT_EQ(form->Text2->palette().color(QPalette::Base), darkPalette().color(QPalette::Base));
}

TEST_F(ThemeTest, ThemeFontLeavesTheLayoutAlone)
{
    // Each named widget's font as drawn: family and pixel size.
    const auto fontsOf = [](QWidget& window) {
        std::map<std::string, std::string> fonts;
        for (QWidget* widget : window.findChildren<QWidget*>())
            if (!widget->objectName().isEmpty())
                fonts[widget->objectName().toStdString()] =
                    QStringLiteral("%1 %2px")
                        .arg(widget->font().family())
                        .arg(QFontInfo(widget->font()).pixelSize())
                        .toStdString();
        return fonts;
    };
    makeForm();
    const auto mainFonts = fontsOf(*form);
    std::map<std::string, std::string> dialogFonts;
    {
        Form2 dialog(*form);
        dialogFonts = fontsOf(dialog);
    }
    ASSERT_FALSE(mainFonts.empty());

    // A desktop theme's application font, as qt6ct or KDE sets it.
    QFont themeFont(QStringLiteral("DejaVu Serif"));
    themeFont.setPointSize(14);
    QApplication::setFont(themeFont);
    form.reset();
    makeForm();
    const auto themedMainFonts = fontsOf(*form);
    Form2 dialog(*form);
    const auto expectSame = [](const auto& now, const auto& before) {
        ASSERT_EQ(now.size(), before.size());
        for (const auto& [name, font] : before)
            EXPECT_EQ(now.at(name), font) << name;
    };
    expectSame(themedMainFonts, mainFonts);
    expectSame(fontsOf(dialog), dialogFonts);
    for (QLabel* label : shownLabels(*form))
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << label->objectName().toStdString();
}

} // namespace
