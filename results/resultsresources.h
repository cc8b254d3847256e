#pragma once

// Registers the resources compiled into the results library (the report
// templates). The report engine calls it, so no program has to. Safe to
// call repeatedly.
void initResultsResources();
