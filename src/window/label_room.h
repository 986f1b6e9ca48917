#pragma once

#include <QWidget>
#include <map>

namespace morvel {

// How many pixels a gadget lacks to show its whole label (a push button's text, a spin field's
// prefix with its widest value) in its font; 0 when the label fits or there is none.
int MissingLabelWidth(const QWidget* gadget);

// Widens every gadget that lacks room for its label and moves the gadgets to its right on the
// same row along by as much, so that a language with longer words keeps each row in order.
void WidenToLabels(const std::map<int, QWidget*>& gadgets);

}  // namespace morvel
