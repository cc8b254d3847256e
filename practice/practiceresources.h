#pragma once

// Registers the resources compiled into the practice library (the schema
// script of the practice roster). A static library's resources are not
// registered on their own; the practice module calls this, so no program
// has to. Safe to call repeatedly.
void initPracticeResources();
