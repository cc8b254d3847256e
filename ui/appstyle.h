#pragma once

#include <QStringList>

class QApplication;

// Registers the pictures and the style sheet compiled into the screens'
// library (a static library's resources are not registered on their own).
// Safe to call repeatedly.
void initUiResources();

// Gives the application the program's look: the style sheet of the
// resources, whose pictures are loose files under "styles/" in the current
// directory. A sheet that cannot be read leaves the default look.
void applyApplicationStyle(QApplication &app);

// The pictures a style sheet names under "styles/" that the current directory
// lacks, as the sheet names them; without them the buttons lose their colour
// and keep only their white text.
QStringList missingStylePictures(const QString &styleSheet);
