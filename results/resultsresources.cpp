#include "resultsresources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares a function, so it must be used at global scope
// and not inside a namespace.
void initResultsResources()
{
    Q_INIT_RESOURCE(results);
}
