#pragma once

class QApplication;

// Gives the application the program's look: the style sheet of the
// resources, whose pictures are loose files under "styles/" in the current
// directory. A sheet that cannot be read leaves the default look.
void applyApplicationStyle(QApplication &app);
