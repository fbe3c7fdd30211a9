#pragma once
// Small event hooks for widgets laid out by hand: run a function when a widget is resized or
// clicked with the left button. The hook is a child of the widget and goes with it.

#include <functional>

class QWidget;

namespace tessoly {

void OnResize(QWidget* widget, std::function<void()> handler);
void OnClick(QWidget* widget, std::function<void()> handler);

} // namespace tessoly
