#pragma once

#include <QString>

class Form1;

namespace Module1
{

// Redraws Picture1 for the link target in Combo3: the icon of the program a
// click would start, drawn at the box's top-left corner at its own size, with
// the tool tip and pointing hand that arm the box for a one-click launch. A
// blank target empties and disarms the box. Nothing is reported; a target
// whose program or icon cannot be found leaves the box empty but armed. What
// counts as a program, and where a name without folder is looked for, is
// decided as the launch decides it.
void ShowLinkIcon(Form1& form);

// The desktop entry of the program the desktop would open file with; empty
// when there is none or file does not exist.
QString FindAssociatedProgram(const Form1& form, const QString& file);

} // namespace Module1

// The tool tip of an armed link icon box.
inline const QString kLinkIconToolTip = QStringLiteral("１クリックで起動します！");
