#pragma once
// Sizes that follow the font rather than the form's pixels: number edits as wide as the
// numbers they take, and a window never smaller than its layout needs.

#include <initializer_list>

class QLineEdit;
class QString;
class QWidget;

// Fixes each edit's width to show `sample` whole in the edit's font and style.
void FitEditWidths(const QString& sample, std::initializer_list<QLineEdit*> edits);

// Raises the window's minimum size to what its layout needs (a larger font needs more).
void HoldMinimumToLayout(QWidget& window);
