#pragma once

class Form1;

namespace Module1
{

// Empties the title editor: the title's fields, the search text, the image
// count and position, and every picture display. The category, the title
// list, the image list, the status line and the options stay as they are.
void ClearEditingFields(Form1& form);

} // namespace Module1
