#pragma once

#include <QString>

class Form1;

namespace Module1
{

// Reads the memory-gauge option: "0" when the stored value is "0" after its
// leading spaces, "1" for any other value or when reading fails, and the empty
// text when the option row is missing. On success it also sizes the status
// line from Check2 (ticked: narrow, so the gauge shows; clear: wide).
QString LoadMemoryOption(Form1& form);
// Stores value in the existing option row and reports on the status line.
void SaveMemoryOption(Form1& form, const QString& value);

} // namespace Module1
