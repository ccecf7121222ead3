#include <algorithm>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "catalogue/option_ops.h"
#include "platform/clock.h"
#include "platform/memory.h"
#include "ui/main/form1.h"
#include "ui/shape.h"
#include "ui/twips.h"

void Form1::Timer1_Timer()
{
    const int load = std::clamp(m_services.memory->memoryLoad(), 0, 100);
    Label17->setText(QStringLiteral("Memory %1%").arg(load));
    Shape1->setWidthTwips(load * 10);
    Label18->setText(m_services.clock->currentTime().toString(QStringLiteral("hh:mm:ss")));
}

void Form1::Check2_Click()
{
    const int boxValue = Check2->isChecked() ? 1 : 0;
    const QString stored = Module1::LoadMemoryOption(*this);
    if (stored.isEmpty()) {
        // No option row: the reader has reported it and left the width alone,
        // and the row cannot be created here, so the box only sizes the line.
        setWidthTwips(Text8, boxValue == 1 ? kStatusNarrowTwips : kStatusWideTwips);
        return;
    }
    if (stored.toInt() == boxValue)
        return;
    if (Check2->isChecked()) {
        setWidthTwips(Text8, kStatusNarrowTwips);
        Module1::SaveMemoryOption(*this, QStringLiteral("1"));
    } else {
        setWidthTwips(Text8, kStatusWideTwips);
        Module1::SaveMemoryOption(*this, QStringLiteral("0"));
    }
}
