#pragma once

class QWidget;

// Moves a top-level window to the middle of its screen, keeping its size.
// A window larger than the screen gets negative coordinates.
void CentreForm(QWidget *form);
