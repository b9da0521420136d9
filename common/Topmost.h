#pragma once

class QWidget;

// Puts a window above all others that are not topmost, or releases it.
// Position, size and visibility stay as they were.
void SetTopmost(QWidget *window, bool topmost);
bool IsTopmost(const QWidget *window);
