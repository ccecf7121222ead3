#pragma once

#include <functional>

class QWidget;

// Gives a widget that has no click signal of its own (a picture label) one:
// handler runs when the left button is pressed and released over widget. The
// filter belongs to widget and goes with it.
void onClick(QWidget* widget, std::function<void()> handler);
