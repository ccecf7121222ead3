#pragma once

class Form1;

// Stepping through the image list List2: the position is Label14 (1-based),
// the count Text7. The image taken becomes Text5 and is shown at once.
namespace Module1
{

void ShowFirstImage(Form1& form);
// Wraps from the first entry to the last.
void ShowPreviousImage(Form1& form);
// Wraps from the last entry to the first.
void ShowNextImage(Form1& form);
void ShowLastImage(Form1& form);

} // namespace Module1
